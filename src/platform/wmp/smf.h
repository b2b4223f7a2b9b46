// The playing time of a Standard MIDI File, read from its tracks and tempo map, so a MIDI
// tune's length is known before it plays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace wmp {

// Seconds from the start to the last event of the longest track (normally its end-of-track),
// with every tempo change of any track applied (120 beats per minute until the first).
// Empty when the bytes are not a complete Standard MIDI File: no header, a truncated track,
// a data byte with no running status.
std::optional<double> MidiFileSeconds(const std::uint8_t* data, std::size_t size);

}  // namespace wmp
