// The music files the media player plays: one row per extension, with the containers FFmpeg may
// open it as and the name the file dialog gives its kind. The game's file dialog and folder scan
// (rules/music_files.h), the decoder's list of allowed containers (ffmpeg/ffmpeg_source.cpp) and
// the tests all take them from here, so a new format is one row, and for the tests a way to make
// such a file (tests/support/media_files.h).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace wmp {

struct TMusicFormat {
  const char* Extension;   // lower case, with its dot
  const char* Containers;  // FFmpeg's demuxers for it, comma-separated; "" when FFmpeg never does
  const char* Caption;     // the dialog's name for its kind ("mp3" → "mp3ファイル")
};

// The design's seven, and what a Linux player's own music is mostly kept in. Extensions of one
// kind follow each other; the dialog names each kind once. MP3 goes to libmpg123 first and to
// FFmpeg when libmpg123 refuses the stream; MIDI only to FluidSynth. Playlists, concat lists,
// image sequences and the like are no container here: they name other files or read without end.
inline constexpr std::array kMusicFormats = {
    TMusicFormat{".mp3", "mp3", "mp3"},
    TMusicFormat{".mid", "", "midi"},
    TMusicFormat{".wma", "asf", "wma"},
    TMusicFormat{".wav", "wav,w64", "wav"},  // w64: a Wave64 file named .wav
    TMusicFormat{".aif", "aiff", "aif"},
    TMusicFormat{".aifc", "aiff", "aif"},
    TMusicFormat{".aiff", "aiff", "aif"},
    TMusicFormat{".ogg", "ogg", "ogg"},
    TMusicFormat{".oga", "ogg", "ogg"},
    TMusicFormat{".opus", "ogg", "opus"},
    TMusicFormat{".flac", "flac", "flac"},
    TMusicFormat{".m4a", "mov", "m4a"},  // the MP4 family
    TMusicFormat{".aac", "aac", "aac"},  // raw AAC (ADTS)
};

// Every container of the table once, in its order, comma-separated: what FFmpeg may open.
inline std::string MusicContainers() {
  std::string list;
  for (const TMusicFormat& format : kMusicFormats) {
    std::string_view rest = format.Containers;
    while (!rest.empty()) {
      const std::size_t comma = rest.find(',');
      const std::string_view name = rest.substr(0, comma);
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
      if (("," + list + ",").find("," + std::string(name) + ",") == std::string::npos) {
        list += (list.empty() ? "" : ",") + std::string(name);
      }
    }
  }
  return list;
}

}  // namespace wmp
