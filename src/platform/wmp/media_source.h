// A decoded piece of music: 16-bit stereo PCM at the device's rate, read in order from the
// start, with its length known as soon as it is open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/base/exception.h"

// Why a music file cannot play, for the player's box; the message holds the details.
enum class TMediaFault : std::int32_t {
  Other,        // the player or the system failed (no decoder, no sound font, no pipe)
  Missing,      // there is no such file
  NotMusic,     // the file is not music at all
  Unsupported,  // music in a format or a timing the player cannot play
  Damaged,      // music that cannot be read through
  TooLong,      // longer or bigger than the player takes
  Empty,        // no sound in it: no audio, or a length of 0
};

// A music file that cannot be opened, decoded or played.
class EMediaPlayer : public Exception {
 public:
  explicit EMediaPlayer(const std::string& message, TMediaFault fault = TMediaFault::Other)
      : Exception(message), fault_(fault) {}
  TMediaFault Fault() const { return fault_; }

 private:
  TMediaFault fault_;
};

namespace wmp {

class TMediaSource {
 public:
  virtual ~TMediaSource() = default;

  // The playing time in seconds.
  virtual double Seconds() const = 0;
  // Fills up to `frames` interleaved stereo frames; returns how many, 0 only at the end.
  virtual std::size_t Read(std::int16_t* out, std::size_t frames) = 0;
  // Goes back to the start; false when the source cannot (it then stays at its end).
  virtual bool Rewind() = 0;
};

// Opens a music file by its content: a Standard MIDI File goes to the synthesiser, MPEG audio
// to libmpg123, everything else to the general decoder (in its own process; `waiting`, if any,
// is called every few milliseconds while it opens the file). Raises EMediaPlayer with the
// reason when none can play it.
std::unique_ptr<TMediaSource> OpenMediaSource(const std::string& path, int rate,
                                              const std::function<void()>& waiting = {});

}  // namespace wmp
