#include "app/main_menu.h"

namespace app {

TMainMenu::TMainMenu(QMenuBar* bar, std::function<void()> onOpen,
                     std::function<void(const std::string&)> onClick)
    : onOpen_(std::move(onOpen)), onClick_(std::move(onClick)) {
  bar->setObjectName("MainMenu1");
  // The design's captions, mnemonics included; initial checks and enables as the window is made.
  QMenu* game = AddMenu(bar, "G1", QStringLiteral("ゲーム(&G)"));
  AddItem(game, "Kanji", QStringLiteral("漢字混じりで解答(&K)"), true);
  AddItem(game, "Hira", QStringLiteral("ひらがなだけで解答(&H)"), true);
  game->addSeparator()->setObjectName("N4");
  AddItem(game, "Save1", QStringLiteral("保存(&S)"), false);
  game->addSeparator()->setObjectName("N1");
  AddItem(game, "Exit1", QStringLiteral("終了(&E)"), false);

  QMenu* settings = AddMenu(bar, "S1", QStringLiteral("設定(&S)"));
  AddItem(settings, "A1", QStringLiteral("問題文の追加(&A)"), false);
  AddItem(settings, "Font1", QStringLiteral("書体の変更(&F)"), false);
  AddItem(settings, "Romaji1", QStringLiteral("ローマ字のかな変換(&R)"), true);

  QMenu* music = AddMenu(bar, "BGM1", QStringLiteral("BGM(&B)"));
  AddItem(music, "ON1", QStringLiteral("ON(&Y)"), true);
  AddItem(music, "OFF1", QStringLiteral("OFF(&N)"), true);
  music->addSeparator()->setObjectName("N3");
  AddItem(music, "S2", QStringLiteral("曲の指定(&S)"), true);
  AddItem(music, "R1", QStringLiteral("ランダム(&R)"), true);

  QMenu* help = AddMenu(bar, "Help1", QStringLiteral("ヘルプ(&H)"));
  AddItem(help, "Help2", QStringLiteral("ヘルプ(&H)"), false);
  help->addSeparator()->setObjectName("N2");
  AddItem(help, "About1", QStringLiteral("バージョン情報(&A)"), false);

  for (const char* name : {"G1", "S1", "BGM1", "Help1", "Save1"}) SetEnabled(name, false);
  for (const char* name : {"Kanji", "ON1", "S2", "Romaji1"}) SetChecked(name, true);
}

QMenu* TMainMenu::AddMenu(QMenuBar* bar, const char* name, const QString& caption) {
  QMenu* menu = bar->addMenu(caption);
  menu->setObjectName(name);
  menu->menuAction()->setObjectName(name);
  items_[name] = menu->menuAction();
  QObject::connect(menu, &QMenu::aboutToShow, [this] { onOpen_(); });
  return menu;
}

void TMainMenu::AddItem(QMenu* menu, const char* name, const QString& caption, bool checkable) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  // Check marks are set by the game alone (pairs behave as radio items through its logic).
  action->setCheckable(checkable);
  items_[name] = action;
  const std::string itemName = name;
  QObject::connect(action, &QAction::triggered, [this, action, itemName](bool) {
    // Qt toggles a checkable action on a click; the game decides the check state itself.
    if (action->isCheckable()) action->setChecked(!action->isChecked());
    onClick_(itemName);
  });
}

QAction* TMainMenu::Item(const std::string& name) const {
  const auto found = items_.find(name);
  return found == items_.end() ? nullptr : found->second;
}

void TMainMenu::SetChecked(const std::string& name, bool checked) {
  if (QAction* action = Item(name)) {
    action->setCheckable(true);
    action->setChecked(checked);
  }
}

bool TMainMenu::Checked(const std::string& name) const {
  const QAction* action = Item(name);
  return action != nullptr && action->isChecked();
}

void TMainMenu::SetEnabled(const std::string& name, bool enabled) {
  if (QAction* action = Item(name)) action->setEnabled(enabled);
}

bool TMainMenu::Enabled(const std::string& name) const {
  const QAction* action = Item(name);
  return action != nullptr && action->isEnabled();
}

}  // namespace app
