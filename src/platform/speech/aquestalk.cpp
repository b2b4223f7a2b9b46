// AquesTalk on espeak-ng: synthesis into memory, playback on a mixer voice.
#include "platform/speech/aquestalk.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <memory>
#include <thread>

#include "platform/codepage/codepage.h"
#include "platform/mixer/mixer.h"
#include "platform/speech/speech_markup.h"

struct AquesTalkDaInstance {
  int unused = 0;
};

namespace speechstandin {
namespace {

int engineRate = 0;  // espeak-ng's sample rate once initialised, -1 when that failed
bool playbackEnabled = true;
bool playbackOnDummyDriver = false;

// espeak-ng is initialised once, on first use, and stays loaded: its Terminate can hang
// waiting for a worker thread the synchronous mode never feeds.
bool EngineReady() {
  if (engineRate == 0) {
    engineRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr,
                                   espeakINITIALIZE_PHONEME_EVENTS | espeakINITIALIZE_DONT_EXIT);
    if (engineRate <= 0) {
      engineRate = -1;
    } else if (espeak_SetVoiceByName("ja") != EE_OK) {
      engineRate = -1;  // no Japanese voice: speech is unavailable
    }
  }
  return engineRate > 0;
}

struct TCollected {
  std::vector<std::int16_t> Samples;
  std::vector<TSpeechEvent> Events;
};

int Collect(short* samples, int count, espeak_EVENT* events) {
  if (events == nullptr || events->user_data == nullptr) return 0;
  auto* out = static_cast<TCollected*>(events->user_data);
  if (samples != nullptr && count > 0)
    out->Samples.insert(out->Samples.end(), samples, samples + count);
  for (; events->type != espeakEVENT_LIST_TERMINATED; ++events) {
    if (events->type == espeakEVENT_MARK) {
      out->Events.push_back({true, events->audio_position, {}});
    } else if (events->type == espeakEVENT_PHONEME) {
      const char* name = events->id.string;
      out->Events.push_back({false, events->audio_position, std::string(name, strnlen(name, 8))});
    }
  }
  return 0;  // go on
}

// Each pitch turn starts a word, and espeak-ng lengthens words; at this share of its rate a
// marked proverb takes about as long as the same kana said flat.
constexpr int kMarkedRatePercent = 118;

int Rate(int speed, int percent) {
  speed = std::clamp(speed, AQTK_SPEED_MIN, AQTK_SPEED_MAX);
  return std::clamp(espeakRATE_NORMAL * speed / 100 * percent / 100, espeakRATE_MINIMUM,
                    espeakRATE_MAXIMUM);
}

int Speak(const std::string& text, bool ssml, int rate, TCollected& out) {
  if (!EngineReady()) return AQTK_ERR_OTHER;
  espeak_SetParameter(espeakRATE, rate, 0);
  espeak_SetSynthCallback(&Collect);
  const unsigned flags = espeakCHARS_UTF8 | (ssml ? espeakSSML : 0u);
  const espeak_ERROR result =
      espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, flags, nullptr, &out);
  espeak_SetSynthCallback(nullptr);
  return result == EE_OK ? AQTK_OK : AQTK_ERR_OTHER;
}

}  // namespace

std::string ToSynthesisText(std::u16string_view speech) {
  std::u16string text;
  for (char16_t c : speech) {
    switch (c) {
      case u'\'':
      case u'\u2019':  // ’
      case u'\uFF07':  // ＇
        break;         // the accent mark only shapes the pitch
      case u'/':
      case u'\uFF0F':  // ／
        text += u' ';
        break;
      case u'\u3001':  // 、
      case u'\uFF0C':  // ，
        text += u", ";
        break;
      case u'\u3002':  // 。
      case u'\uFF0E':  // ．
        text += u". ";
        break;
      default:
        text += c;
        break;
    }
  }
  return codepage::Utf16ToUtf8(text);
}

std::string SynthesisInput(std::u16string_view speech) {
  return HasKana(speech) ? ToSpeechMarkup(PlanPitch(speech)).Ssml : ToSynthesisText(speech);
}

int SynthesizeMarkup(const std::string& ssml, int speed, const std::vector<TMora>& plan,
                     const std::vector<std::vector<std::size_t>>& words, Speech& out) {
  out = Speech();
  TCollected collected;
  if (Speak(ssml, true, Rate(speed, kMarkedRatePercent), collected) != AQTK_OK) {
    return AQTK_ERR_OTHER;
  }
  out.samples = std::move(collected.Samples);
  out.sampleRate = engineRate;
  out.Morae = TimeMorae(plan, words, collected.Events, out.Seconds());
  return AQTK_OK;
}

int Synthesize(const char* koe, int speed, Speech& out) {
  out = Speech();
  if (koe == nullptr || koe[0] == '\0') {
    return AQTK_ERR_EMPTY;
  }
  const std::string_view sjis(koe);
  if (sjis.size() > AQTK_TEXT_MAX) {
    return AQTK_ERR_TOO_LONG;
  }
  const std::u16string speech = codepage::SjisToUtf16(sjis);
  if (HasKana(speech)) {
    const std::vector<TMora> plan = PlanPitch(speech);
    const TSpeechMarkup markup = ToSpeechMarkup(plan);
    return SynthesizeMarkup(markup.Ssml, speed, plan, markup.Words, out);
  }
  // No kana: an English sentence, which espeak-ng reads in English.
  TCollected collected;
  if (Speak(ToSynthesisText(speech), false, Rate(speed, 100), collected) != AQTK_OK) {
    return AQTK_ERR_OTHER;
  }
  out.samples = std::move(collected.Samples);
  out.sampleRate = engineRate;
  return AQTK_OK;
}

bool WriteWave(const std::filesystem::path& path, const Speech& speech) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) {
    return false;
  }
  const auto put32 = [&file](std::uint32_t v) {
    const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8),
                           static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
    file.write(bytes, 4);
  };
  const auto put16 = [&file](std::uint32_t v) {
    const char bytes[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
    file.write(bytes, 2);
  };
  const auto dataBytes = static_cast<std::uint32_t>(speech.samples.size() * 2);
  const auto rate = static_cast<std::uint32_t>(speech.sampleRate);
  file.write("RIFF", 4);
  put32(36 + dataBytes);
  file.write("WAVEfmt ", 8);
  put32(16);
  put16(1);  // PCM
  put16(1);  // mono
  put32(rate);
  put32(rate * 2);
  put16(2);
  put16(16);
  file.write("data", 4);
  put32(dataBytes);
  for (std::int16_t sample : speech.samples) {
    put16(static_cast<std::uint16_t>(sample));
  }
  return static_cast<bool>(file);
}

void SetPlaybackEnabled(bool enabled) { playbackEnabled = enabled; }
void SetPlaybackOnDummyDriver(bool enabled) { playbackOnDummyDriver = enabled; }

}  // namespace speechstandin

H_AQTKDA AquesTalkDa_Create() {
  if (!speechstandin::EngineReady()) {
    return nullptr;
  }
  return new AquesTalkDaInstance();
}

void AquesTalkDa_Release(H_AQTKDA handle) { delete handle; }

int AquesTalkDa_PlaySync(const char* koe, int speed) {
  using namespace speechstandin;
  if (!playbackEnabled) {
    return AQTK_OK;
  }
  mixer::Session session;
  // No output, or SDL's dummy driver (no speakers, e.g. tests and Xvfb runs): nobody would
  // hear it, so the call returns at once instead of waiting out silent speech.
  if (session.Kind() != mixer::Output::kDevice ||
      (mixer::DriverName() == "dummy" && !playbackOnDummyDriver)) {
    return koe != nullptr && koe[0] != '\0' ? AQTK_OK : AQTK_ERR_EMPTY;
  }
  Speech speech;
  const int result = Synthesize(koe, speed, speech);
  if (result != AQTK_OK) {
    return result;
  }
  mixer::PcmFormat format;
  format.rate = speech.sampleRate;
  format.bits = 16;
  format.channels = 1;
  // The clip wants little-endian samples, which is how they sit in memory here.
  const std::unique_ptr<mixer::Clip> clip =
      mixer::Clip::FromPcm(speech.samples.data(), speech.samples.size() * 2, format);
  mixer::Voice voice;
  if (clip == nullptr || !voice.Play(*clip)) {
    return AQTK_ERR_OTHER;
  }
  while (voice.IsPlaying()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return AQTK_OK;
}
