#include "platform/wmp/midi_source.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace wmp {
namespace {

// Debian's General MIDI sound fonts, the small one first: it loads in a blink.
constexpr const char* kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

constexpr double kGain = 0.5;
constexpr int kVoices = 32;

// FluidSynth writes its warnings and errors (a missing preset, an odd event, a file it cannot
// sequence, again at every loop) to the terminal; a game has no one reading them, and reports
// what matters itself.
void QuietFluidSynth() {
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid_set_log_function(level, nullptr, nullptr);
  }
}

// A hostile tempo map can claim more time than a frame counter holds; no tune gets near it.
std::size_t FramesIn(double seconds, int rate) {
  const double frames = std::round(seconds * rate);
  constexpr double kMost = 1e15;  // seven centuries at 44.1 kHz
  return static_cast<std::size_t>(std::clamp(frames, 0.0, kMost));
}

}  // namespace

std::string MidiSoundFont() {
  std::error_code error;
  for (const char* path : kSoundFonts) {
    if (std::filesystem::is_regular_file(path, error)) return path;
  }
  return "";
}

struct TMidiSource::Synth {
  fluid_settings_t* settings = new_fluid_settings();
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;

  ~Synth() {
    if (player != nullptr) delete_fluid_player(player);
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
  }
};

TMidiSource::TMidiSource(std::vector<std::uint8_t> file, double seconds, int rate)
    : file_(std::move(file)),
      seconds_(seconds),
      totalFrames_(FramesIn(seconds, rate)),
      synth_(std::make_unique<Synth>()) {
  QuietFluidSynth();
  const std::string font = MidiSoundFont();
  if (font.empty()) {
    throw EMediaPlayer("MIDI の音色ファイル (General MIDI の SoundFont) がありません");
  }
  if (synth_->settings == nullptr) throw EMediaPlayer("MIDI シンセサイザーを作れません");
  fluid_settings_setnum(synth_->settings, "synth.sample-rate", rate);
  // FluidSynth's default gain leaves a General MIDI tune far quieter than recorded music.
  fluid_settings_setnum(synth_->settings, "synth.gain", kGain);
  // The synthesiser's cost grows with its voices and effects. General MIDI asks for 24 voices;
  // 32, without the reverb and chorus units, keep a busy tune under 1 % of a core (the
  // quietest fading notes give way first when a tune wants more).
  fluid_settings_setint(synth_->settings, "synth.polyphony", kVoices);
  fluid_settings_setint(synth_->settings, "synth.reverb.active", 0);
  fluid_settings_setint(synth_->settings, "synth.chorus.active", 0);
  synth_->synth = new_fluid_synth(synth_->settings);
  if (synth_->synth == nullptr) throw EMediaPlayer("MIDI シンセサイザーを作れません");
  if (fluid_synth_sfload(synth_->synth, font.c_str(), 1) == FLUID_FAILED) {
    throw EMediaPlayer("MIDI の音色ファイルを読めません: " + font);
  }
  if (!Rewind()) throw EMediaPlayer("MIDI ファイルを演奏できません");
}

TMidiSource::~TMidiSource() = default;

bool TMidiSource::Rewind() {
  // A fresh sequencer starts at the first event; the synthesiser drops every sounding note and
  // controller so the new start sounds like the first.
  if (synth_->player != nullptr) {
    delete_fluid_player(synth_->player);
    synth_->player = nullptr;
  }
  fluid_synth_system_reset(synth_->synth);
  rendered_ = 0;
  synth_->player = new_fluid_player(synth_->synth);
  return synth_->player != nullptr &&
         fluid_player_add_mem(synth_->player, file_.data(), file_.size()) == FLUID_OK &&
         fluid_player_play(synth_->player) == FLUID_OK;
}

std::size_t TMidiSource::Read(std::int16_t* out, std::size_t frames) {
  // The tune ends with its last event, as its length says; FluidSynth's sequencer would
  // linger until the last note has faded.
  if (synth_->player == nullptr || rendered_ >= totalFrames_) return 0;
  const std::size_t count = std::min<std::size_t>(frames, totalFrames_ - rendered_);
  if (fluid_synth_write_s16(synth_->synth, static_cast<int>(count), out, 0, 2, out, 1, 2) !=
      FLUID_OK) {
    return 0;
  }
  rendered_ += count;
  return count;
}

}  // namespace wmp
