// Why music cannot play, in the sentence the player's box gives after
// 「file」を再生できませんでした。 (the media player's own details go to standard error).
#pragma once

namespace game::music_reasons {

inline constexpr const char* kMissing = "ファイルが見つかりません。";
inline constexpr const char* kNotMusic = "音楽のファイルではありません。";
inline constexpr const char* kUnsupported = "この形式の音楽には対応していません。";
inline constexpr const char* kDamaged = "ファイルが壊れています。";
inline constexpr const char* kTooLong = "曲が長すぎるか、ファイルが大きすぎます。";
inline constexpr const char* kEmpty = "音が入っていません。";
inline constexpr const char* kOther = "この環境では再生できません。";

}  // namespace game::music_reasons
