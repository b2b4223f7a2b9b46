// MainMenu1: the game window's menu bar, built from the game's table of menu items.
#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <array>
#include <functional>

#include "rules/menu_item.h"

namespace app {

class TMainMenu {
 public:
  // onOpen runs when any top-level menu opens; onClick with the item when one is chosen.
  TMainMenu(QMenuBar* bar, std::function<void()> onOpen,
            std::function<void(game::TMenuItem)> onClick);

  void SetChecked(game::TMenuItem item, bool checked);
  bool Checked(game::TMenuItem item) const;
  void SetEnabled(game::TMenuItem item, bool enabled);
  bool Enabled(game::TMenuItem item) const;
  // A top-level menu's item is the action that opens it.
  QAction* Item(game::TMenuItem item) const { return items_[game::MenuIndex(item)]; }

 private:
  std::function<void()> onOpen_;
  std::function<void(game::TMenuItem)> onClick_;
  std::array<QAction*, game::kMenuItemCount> items_{};
};

}  // namespace app
