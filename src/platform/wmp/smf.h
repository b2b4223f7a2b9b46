// The playing time of a Standard MIDI File, read from its tracks and tempo map, so a MIDI
// tune's length is known before it plays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace wmp {

// Seconds from the start to the last event of the longest track (normally its end-of-track),
// with every tempo change of any track applied (120 beats per minute until the first).
// Empty when the bytes are not a complete Standard MIDI File: no header, a truncated track,
// a data byte with no running status.
std::optional<double> MidiFileSeconds(const std::uint8_t* data, std::size_t size);

// What the synthesiser can take at once. It keeps every event of the file in memory (some 60
// bytes each) and reads them all again at each loop, and it plays the events of one moment in
// one go on the audio thread (some 5 microseconds a note): a file of millions of events, or of
// thousands at one instant, would take hundreds of megabytes and freeze the game's sound.
inline constexpr std::size_t kMaxMidiEvents = 100'000;
inline constexpr std::size_t kMaxMidiEventsPerTenth = 1'000;  // within any tenth of a second

// Why the synthesiser should not play the file (UTF-8, for the player), or empty when it may:
// more than kMaxMidiEvents events in all, or more than kMaxMidiEventsPerTenth within a tenth
// of a second. The walk stops at the first event past the bound. The bytes must be a file
// MidiFileSeconds reads. Damaged is set when the walk itself fails.
struct TMidiLoadProblem {
  std::string Reason;
  bool Damaged = false;
};
TMidiLoadProblem MidiFileLoadProblem(const std::uint8_t* data, std::size_t size);

}  // namespace wmp
