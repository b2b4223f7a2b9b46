// MainMenu1: the game window's menu bar, every item under its component name.
#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QString>

#include <functional>
#include <map>
#include <string>

namespace app {

class TMainMenu {
 public:
  // onOpen runs when any top-level menu opens; onClick with the item's name when one is chosen.
  TMainMenu(QMenuBar* bar, std::function<void()> onOpen,
            std::function<void(const std::string&)> onClick);

  // Top-level menus ("G1", "S1", "BGM1", "Help1") and items are looked up by name.
  void SetChecked(const std::string& name, bool checked);
  bool Checked(const std::string& name) const;
  void SetEnabled(const std::string& name, bool enabled);
  bool Enabled(const std::string& name) const;
  QAction* Item(const std::string& name) const;

 private:
  QMenu* AddMenu(QMenuBar* bar, const char* name, const QString& caption);
  void AddItem(QMenu* menu, const char* name, const QString& caption, bool checkable);

  std::function<void()> onOpen_;
  std::function<void(const std::string&)> onClick_;
  std::map<std::string, QAction*> items_;
};

}  // namespace app
