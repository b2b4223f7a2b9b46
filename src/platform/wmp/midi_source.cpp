#include "platform/wmp/midi_source.h"

#include <fluidsynth.h>

#include <filesystem>

namespace wmp {
namespace {

// Debian's General MIDI sound fonts, the small one first: it loads in a blink.
constexpr const char* kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// FluidSynth writes its warnings (a missing preset, an odd event) to stderr; a game has no
// one reading them.
void QuietFluidSynth() {
  for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid_set_log_function(level, nullptr, nullptr);
  }
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
    : file_(std::move(file)), seconds_(seconds), synth_(std::make_unique<Synth>()) {
  QuietFluidSynth();
  const std::string font = MidiSoundFont();
  if (font.empty()) throw EMediaPlayer("MIDI の音色ファイル (General MIDI の SoundFont) がありません");
  if (synth_->settings == nullptr) throw EMediaPlayer("MIDI シンセサイザーを作れません");
  fluid_settings_setnum(synth_->settings, "synth.sample-rate", rate);
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
  synth_->player = new_fluid_player(synth_->synth);
  return synth_->player != nullptr &&
         fluid_player_add_mem(synth_->player, file_.data(), file_.size()) == FLUID_OK &&
         fluid_player_play(synth_->player) == FLUID_OK;
}

std::size_t TMidiSource::Read(std::int16_t* out, std::size_t frames) {
  if (synth_->player == nullptr || fluid_player_get_status(synth_->player) == FLUID_PLAYER_DONE) {
    return 0;
  }
  const int count = static_cast<int>(frames);
  if (fluid_synth_write_s16(synth_->synth, count, out, 0, 2, out, 1, 2) != FLUID_OK) return 0;
  return frames;
}

}  // namespace wmp
