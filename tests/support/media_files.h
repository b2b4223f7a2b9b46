// Music files of every format the media player takes, made at test time with the ffmpeg
// program (scripts/setup installs it for the tests); MIDI files come from the wave builder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace testwave {

struct MediaKind {
  const char* extension;
  const char* encoder;  // ffmpeg's output options for it
};

// One of each extension the player takes but MIDI.
inline const std::vector<MediaKind>& EncodedKinds() {
  static const std::vector<MediaKind> kinds = {
      {".mp3", "-c:a libmp3lame -b:a 128k"},
      {".wma", "-c:a wmav2"},
      {".wav", "-c:a pcm_s16le"},
      {".aif", "-c:a pcm_s16be -f aiff"},
      {".aifc", "-c:a pcm_s16le -f aiff"},
      {".aiff", "-c:a pcm_s16be -f aiff"},
      {".ogg", "-c:a libvorbis"},
      {".oga", "-c:a libvorbis -f ogg"},
      {".opus", "-c:a libopus -f opus"},
      {".flac", "-c:a flac"},
      {".m4a", "-c:a aac -f ipod"},
      {".aac", "-c:a aac -f adts"},
  };
  return kinds;
}

// Writes `seconds` of 44.1 kHz stereo music (a different tone on each side, with a little
// noise so the encoders have work to do) in the format `encoder` names; true on success.
inline bool WriteEncoded(const std::filesystem::path& path, const char* encoder, double seconds,
                         double hz = 440.0) {
  const std::string source = "aevalsrc=0.3*sin(" + std::to_string(hz) +
                             "*2*PI*t)+0.05*(random(0)-0.5)|0.3*sin(" + std::to_string(hz * 1.5) +
                             "*2*PI*t)+0.05*(random(1)-0.5):s=44100:d=" + std::to_string(seconds);
  const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i '" + source + "' " +
                              encoder + " '" + path.string() + "'";
  return std::system(command.c_str()) == 0 && std::filesystem::exists(path);
}

}  // namespace testwave
