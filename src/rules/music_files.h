// The music files the game offers and plays, by extension, from the media player's one table
// of music formats (platform/wmp/music_formats.h): the menu's file dialog and the random
// folder's scan.
#pragma once

#include <filesystem>
#include <string>

#include "platform/wmp/music_formats.h"

namespace game {

using wmp::kMusicFormats;
using wmp::TMusicFormat;

// Whether the file's extension, in any case, is one of kMusicFormats.
bool IsMusicFile(const std::filesystem::path& path);

// The file dialog's filter: "mp3ファイル;midiファイル;…|*.mp3;*.mid;…|すべてのファイル|*.*".
std::string MusicFileFilter();

}  // namespace game
