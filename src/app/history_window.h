// The history window (ゲーム → 成績): the player's kana per minute and key accuracy over their
// games in each answer mode, their speed by stage, the personal bests, and the ten proverbs
// missed most often with their readings; reviews are counted apart. An empty history says how
// to fill it. The window resizes with its charts. It reads the database beside record1.dat as
// it stands, whatever version of the game wrote it, and changes nothing.
#pragma once

#include <QDialog>

#include <filesystem>

#include "history/history_summary.h"

namespace app {

class THistoryWindow : public QDialog {
 public:
  THistoryWindow(const std::filesystem::path& file, QWidget* parent);

 private:
  void Build(const history::THistorySummary& summary);
  void BuildMessage(const QString& message);
};

}  // namespace app
