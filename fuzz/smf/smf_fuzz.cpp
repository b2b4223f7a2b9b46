// The MIDI length reader on arbitrary bytes: nothing is read outside the file, and a length it
// gives is a number of seconds a player can count to; the event bound reads it as safely.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/wmp/smf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<double> seconds = wmp::MidiFileSeconds(data, size);
  if (seconds && (!std::isfinite(*seconds) || *seconds < 0)) std::abort();
  // The synthesiser's bound walks the same file; it refuses or lets pass, never reads outside.
  if (seconds) (void)wmp::MidiFileLoadProblem(data, size);
  return 0;
}
