// The speech library as the game uses it: AquesTalkDa_Create, AquesTalkDa_PlaySync and
// AquesTalkDa_Release, on espeak-ng's Japanese voice. The text is Shift-JIS kana with the
// prosody marks ' (accent), / (between accent phrases), 、 (pause) and 。 (sentence end); the
// marks give each mora its Tokyo pitch (pitch_plan.h) and the pauses, and are never spoken. Only
// the kana reach the voice; a text without kana (an English sentence) is read as it stands.
// PlaySync synthesises the whole text, plays it on the shared audio device and returns when it has
// finished. Without an output device (or with playback switched off for tests) it returns at once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/speech/mora_timing.h"
#include "platform/speech/pitch_plan.h"

struct AquesTalkDaInstance;
using H_AQTKDA = AquesTalkDaInstance*;

// Result codes of AquesTalkDa_PlaySync.
inline constexpr int AQTK_OK = 0;
inline constexpr int AQTK_ERR_OTHER = 100;  // the voice could not be loaded or synthesis failed
inline constexpr int AQTK_ERR_EMPTY = 111;  // nothing to say
inline constexpr int AQTK_ERR_TOO_LONG = 120;

// Speed 100 is the normal rate; 50 to 300 are accepted (others are clamped).
inline constexpr int AQTK_SPEED_MIN = 50;
inline constexpr int AQTK_SPEED_MAX = 300;
inline constexpr std::size_t AQTK_TEXT_MAX = 4096;  // bytes of Shift-JIS text

// An engine instance; nullptr when the voice cannot be loaded.
H_AQTKDA AquesTalkDa_Create();
// Speaks the text synchronously. Works with or without a live instance.
int AquesTalkDa_PlaySync(const char* koe, int speed);
void AquesTalkDa_Release(H_AQTKDA handle);

namespace speechstandin {

// The plain text handed to espeak-ng (UTF-8) for a text without kana: the accent mark dropped,
// phrase breaks as spaces, 、 as a comma pause and 。 as a sentence stop.
std::string ToSynthesisText(std::u16string_view speech);
// Exactly what espeak-ng is given for a speech string: the pitch markup (speech_markup.h) when
// it holds kana, otherwise ToSynthesisText.
std::string SynthesisInput(std::u16string_view speech);

struct Speech {
  std::vector<std::int16_t> samples;  // mono
  int sampleRate = 0;
  std::vector<TMoraSound> Morae;  // each mora's pitch and where it sounds (kana text only)
  double Seconds() const {
    return sampleRate > 0 ? static_cast<double>(samples.size()) / sampleRate : 0.0;
  }
};

// Synthesises Shift-JIS text without playing it. Returns an AQTK_ code.
int Synthesize(const char* koe, int speed, Speech& out);
// Synthesises SSML whose <mark>s start the given words of the plan (as TSpeechMarkup has them),
// timing the plan's morae in the sound.
int SynthesizeMarkup(const std::string& ssml, int speed, const std::vector<TMora>& plan,
                     const std::vector<std::vector<std::size_t>>& words, Speech& out);
// Writes a 16-bit mono RIFF/WAVE file; false when it cannot be written.
bool WriteWave(const std::filesystem::path& path, const Speech& speech);

// When off, AquesTalkDa_PlaySync returns AQTK_OK at once without synthesising (for game tests
// that must not wait for speech). On by default.
void SetPlaybackEnabled(bool enabled);
// SDL's dummy driver has no speakers, so speech returns at once there; tests that capture the
// mixed output switch playback on for it.
void SetPlaybackOnDummyDriver(bool enabled);

}  // namespace speechstandin
