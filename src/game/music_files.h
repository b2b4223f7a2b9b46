// The music files the game offers and plays: one row per extension. The menu's file dialog,
// the random folder's scan and the tests all take them from here, so a new format is one row
// (and, for the tests, a way to make such a file, tests/support/media_files.h).
#pragma once

#include <array>
#include <filesystem>
#include <string>

namespace game {

struct TMusicFormat {
  const char* Extension;  // lower case, with its dot
  const char* Caption;    // the dialog's name for its kind ("mp3" → "mp3ファイル")
};

// The design's seven, and what a Linux player's own music is mostly kept in. Extensions of one
// kind follow each other; the dialog names each kind once.
inline constexpr std::array kMusicFormats = {
    TMusicFormat{".mp3", "mp3"},   TMusicFormat{".mid", "midi"},  TMusicFormat{".wma", "wma"},
    TMusicFormat{".wav", "wav"},   TMusicFormat{".aif", "aif"},   TMusicFormat{".aifc", "aif"},
    TMusicFormat{".aiff", "aif"},  TMusicFormat{".ogg", "ogg"},   TMusicFormat{".oga", "ogg"},
    TMusicFormat{".opus", "opus"}, TMusicFormat{".flac", "flac"}, TMusicFormat{".m4a", "m4a"},
    TMusicFormat{".aac", "aac"},
};

// Whether the file's extension, in any case, is one of kMusicFormats.
bool IsMusicFile(const std::filesystem::path& path);

// The file dialog's filter: "mp3ファイル;midiファイル;…|*.mp3;*.mid;…|すべてのファイル|*.*".
std::string MusicFileFilter();

}  // namespace game
