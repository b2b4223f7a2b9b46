#include "app/main_menu.h"

#include <QString>

namespace app {

TMainMenu::TMainMenu(QMenuBar* bar, std::function<void()> onOpen,
                     std::function<void(game::TMenuItem)> onClick)
    : onOpen_(std::move(onOpen)), onClick_(std::move(onClick)) {
  bar->setObjectName("MainMenu1");
  QMenu* menu = nullptr;
  for (const game::TMenuItemInfo& info : game::kMenuItems) {
    const QString caption = QString::fromUtf8(info.Caption);
    QAction* action = nullptr;
    if (info.TopLevel) {
      menu = bar->addMenu(caption);
      menu->setObjectName(info.Name);
      action = menu->menuAction();
      QObject::connect(menu, &QMenu::aboutToShow, [this] { onOpen_(); });
    } else {
      if (info.SeparatorBefore != nullptr) {
        menu->addSeparator()->setObjectName(info.SeparatorBefore);
      }
      action = menu->addAction(caption);
      // Check marks are set by the game alone (pairs behave as radio items through its logic).
      action->setCheckable(info.Checkable);
      const game::TMenuItem item = info.Item;
      QObject::connect(action, &QAction::triggered, [this, action, item](bool) {
        // Qt toggles a checkable action on a click; the game decides the check state itself.
        if (action->isCheckable()) action->setChecked(!action->isChecked());
        onClick_(item);
      });
    }
    action->setObjectName(info.Name);
    action->setChecked(info.Checked);
    action->setEnabled(info.Enabled);
    items_[game::MenuIndex(info.Item)] = action;
  }
}

void TMainMenu::SetChecked(game::TMenuItem item, bool checked) {
  QAction* action = Item(item);
  action->setCheckable(true);
  action->setChecked(checked);
}

bool TMainMenu::Checked(game::TMenuItem item) const { return Item(item)->isChecked(); }

void TMainMenu::SetEnabled(game::TMenuItem item, bool enabled) { Item(item)->setEnabled(enabled); }

bool TMainMenu::Enabled(game::TMenuItem item) const { return Item(item)->isEnabled(); }

}  // namespace app
