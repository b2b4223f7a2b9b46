// The game window's menu items: one enum the game and the window share, and one table of their
// component names, captions and states when the window is made, in menu-bar order. The window
// builds its menu bar from the table; the game addresses items only through the enum.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace game {

enum class TMenuItem : std::uint8_t {
  G1,        // ゲーム
  Kanji,     // answers in kanji-mixed writing
  Hira,      // answers in hiragana only
  Fukushu1,  // the review game of the proverbs due today
  Seiseki1,  // the player's history
  Save1,
  Exit1,
  S1,  // 設定
  A1,  // the additional-questions file
  Font1,
  Romaji1,  // romaji typed into the answer field becomes kana
  Imi1,     // the meaning beneath a revealed answer
  Ruby1,    // the reading over the kanji of a revealed answer
  BGM1,
  ON1,
  OFF1,
  S2,     // one chosen music file
  R1,     // random music from a folder
  View1,  // 表示: how the window shows the frame
  Size1,  // the window at 1×, 2×, 3×, 4× the frame
  Size2,
  Size3,
  Size4,
  Full1,   // full screen
  Seisu1,  // scaled by whole multiples
  Fit1,    // fitted to the window, smoothly
  Help1,
  Help2,
  About1,
};

struct TMenuItemInfo {
  TMenuItem Item;
  const char* Name;     // the component name
  const char* Caption;  // UTF-8, the mnemonic after its &
  bool TopLevel;        // a menu of the bar; the items below it up to the next one are its own
  bool Checkable;
  bool Checked;                 // when the window is made
  bool Enabled;                 // when the window is made
  const char* SeparatorBefore;  // component name of a separator line above the item, or nullptr
};

inline constexpr std::array<TMenuItemInfo, 29> kMenuItems{{
    // clang-format off
    {TMenuItem::G1,     "G1",     "ゲーム(&G)",             true,  false, false, false, nullptr},
    {TMenuItem::Kanji,  "Kanji",  "漢字混じりで解答(&K)",   false, true,  true,  true,  nullptr},
    {TMenuItem::Hira,   "Hira",   "ひらがなだけで解答(&H)", false, true,  false, true,  nullptr},
    {TMenuItem::Fukushu1, "Fukushu1", "復習(&F)",           false, false, false, true,  "N5"},
    {TMenuItem::Seiseki1, "Seiseki1", "成績(&R)",           false, false, false, true,  nullptr},
    {TMenuItem::Save1,  "Save1",  "保存(&S)",               false, false, false, false, "N4"},
    {TMenuItem::Exit1,  "Exit1",  "終了(&E)",               false, false, false, true,  "N1"},
    {TMenuItem::S1,     "S1",     "設定(&S)",               true,  false, false, false, nullptr},
    {TMenuItem::A1,     "A1",     "問題文の追加(&A)",       false, false, false, true,  nullptr},
    {TMenuItem::Font1,  "Font1",  "書体の変更(&F)",         false, false, false, true,  nullptr},
    {TMenuItem::Romaji1, "Romaji1", "ローマ字のかな変換(&R)", false, true,  true,  true,  nullptr},
    {TMenuItem::Imi1,   "Imi1",   "意味を表示(&M)",         false, true,  true,  true,  nullptr},
    {TMenuItem::Ruby1,  "Ruby1",  "ふりがな(&U)",           false, true,  true,  true,  nullptr},
    {TMenuItem::BGM1,   "BGM1",   "BGM(&B)",                true,  false, false, false, nullptr},
    {TMenuItem::ON1,    "ON1",    "ON(&Y)",                 false, true,  true,  true,  nullptr},
    {TMenuItem::OFF1,   "OFF1",   "OFF(&N)",                false, true,  false, true,  nullptr},
    {TMenuItem::S2,     "S2",     "曲の指定(&S)",           false, true,  true,  true,  "N3"},
    {TMenuItem::R1,     "R1",     "ランダム(&R)",           false, true,  false, true,  nullptr},
    {TMenuItem::View1,  "View1",  "表示(&V)",               true,  false, false, true,  nullptr},
    {TMenuItem::Size1,  "Size1",  "1倍(&1)",                false, true,  true,  true,  nullptr},
    {TMenuItem::Size2,  "Size2",  "2倍(&2)",                false, true,  false, true,  nullptr},
    {TMenuItem::Size3,  "Size3",  "3倍(&3)",                false, true,  false, true,  nullptr},
    {TMenuItem::Size4,  "Size4",  "4倍(&4)",                false, true,  false, true,  nullptr},
    {TMenuItem::Full1,  "Full1",  "全画面表示(&F)\tF11",    false, true,  false, true,  "N7"},
    {TMenuItem::Seisu1, "Seisu1", "整数倍で拡大(&I)",       false, true,  true,  true,  "N6"},
    {TMenuItem::Fit1,   "Fit1",   "画面に合わせて拡大(&W)", false, true,  false, true,  nullptr},
    {TMenuItem::Help1,  "Help1",  "ヘルプ(&H)",             true,  false, false, false, nullptr},
    {TMenuItem::Help2,  "Help2",  "ヘルプ(&H)",             false, false, false, true,  nullptr},
    {TMenuItem::About1, "About1", "バージョン情報(&A)",     false, false, false, true,  "N2"},
    // clang-format on
}};

constexpr std::size_t kMenuItemCount = kMenuItems.size();

// The window's own items: how the frame is shown. The window acts on them; the game never does.
inline constexpr std::array<TMenuItem, 7> kDisplayItems{
    TMenuItem::Size1, TMenuItem::Size2,  TMenuItem::Size3, TMenuItem::Size4,
    TMenuItem::Full1, TMenuItem::Seisu1, TMenuItem::Fit1};

// The menus of the bar, disabled while the title flies (the display menu stays: the window's
// size and full screen are the player's at any time).
inline constexpr std::array<TMenuItem, 4> kTopMenus{TMenuItem::G1, TMenuItem::S1, TMenuItem::BGM1,
                                                    TMenuItem::Help1};

constexpr std::size_t MenuIndex(TMenuItem item) { return static_cast<std::size_t>(item); }
constexpr const TMenuItemInfo& MenuItemInfo(TMenuItem item) { return kMenuItems[MenuIndex(item)]; }

// The table is indexed by the enum: every row sits at its item's place.
constexpr bool MenuTableInEnumOrder() {
  for (std::size_t i = 0; i < kMenuItems.size(); ++i) {
    if (MenuIndex(kMenuItems[i].Item) != i) return false;
  }
  return true;
}
static_assert(MenuTableInEnumOrder(), "kMenuItems must list the items in the enum's order");

}  // namespace game
