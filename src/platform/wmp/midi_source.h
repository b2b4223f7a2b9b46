// Standard MIDI Files played by FluidSynth's sequencer on a General MIDI sound font, rendered
// as the device asks for samples (the sequencer runs on the rendered sample count, not on a
// clock of its own).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wmp/media_source.h"

namespace wmp {

// The General MIDI sound font the synthesiser loads ("" when none is installed).
std::string MidiSoundFont();

class TMidiSource : public TMediaSource {
 public:
  // `seconds` is the file's length from its tempo map. Raises EMediaPlayer when no sound font
  // can be loaded.
  TMidiSource(std::vector<std::uint8_t> file, double seconds, int rate);
  ~TMidiSource() override;

  double Seconds() const override { return seconds_; }
  std::size_t Read(std::int16_t* out, std::size_t frames) override;
  bool Rewind() override;

 private:
  struct Synth;  // FluidSynth's objects, kept out of this header

  std::vector<std::uint8_t> file_;
  double seconds_;
  std::size_t totalFrames_;
  std::size_t rendered_ = 0;
  std::unique_ptr<Synth> synth_;
};

}  // namespace wmp
