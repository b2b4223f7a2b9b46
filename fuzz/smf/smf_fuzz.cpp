// The MIDI length reader on arbitrary bytes: nothing is read outside the file, and a length it
// gives is a number of seconds a player can count to.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/wmp/smf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<double> seconds = wmp::MidiFileSeconds(data, size);
  if (seconds && (!std::isfinite(*seconds) || *seconds < 0)) std::abort();
  return 0;
}
