// nightwisp-tool speak N [-o FILE.wav] | speak --text SPEECH [-o FILE.wav]: proverb N's speech
// string (or SPEECH, UTF-8, with its prosody marks) synthesised as the game speaks it. With -o
// the sound goes into a 16-bit mono WAV file, otherwise to the sound device. The speech string
// and each mora's pitch from its marks (H high, L low) are printed first.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>

#include "commands.h"
#include "platform/base/files.h"
#include "platform/codepage/codepage.h"
#include "platform/speech/aquestalk.h"
#include "rules/catalogue.h"

namespace tool {
namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: nightwisp-tool speak N [-o FILE.wav] | speak --text SPEECH [-o FILE.wav]\n");
  return 2;
}

std::optional<std::int32_t> Number(const std::string& text) {
  std::int32_t n = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return n;
}

// Proverb n's speech string, from the catalogue with the additional questions the game reads.
std::optional<std::u16string> ProverbSpeech(std::int32_t n) {
  TCatalogue catalogue;
  BuildMondaiTable(catalogue);
  const TuikaLoadResult loaded = LoadTuikaMondai(catalogue, files::GameDataFolder());
  if (!loaded.Error.empty()) std::fprintf(stderr, "speak: %s\n", loaded.Error.c_str());
  if (n < 1 || n > catalogue.MondaiCount()) {
    std::fprintf(stderr, "speak: there is no proverb %d (1 to %d)\n", n, catalogue.MondaiCount());
    return std::nullopt;
  }
  return catalogue.Speech(n);
}

void PrintPlan(const std::u16string& speech) {
  std::string pitches;
  for (const speechstandin::TMora& mora : speechstandin::PlanPitch(speech)) {
    if (mora.StartsPhrase && !pitches.empty()) pitches += mora.PauseBeforeMs > 0 ? ", " : " ";
    pitches += codepage::Utf16ToUtf8(mora.Kana) + (mora.High ? "H" : "L");
  }
  std::printf("%s\n%s\n", codepage::Utf16ToUtf8(speech).c_str(), pitches.c_str());
}

}  // namespace

int RunSpeak(const std::vector<std::string>& args) {
  std::optional<std::u16string> speech;
  std::optional<std::string> output;
  std::string what;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size() && !output) {
      output = args[++i];
    } else if (args[i] == "--text" && i + 1 < args.size() && !speech) {
      what = "the text";
      speech = codepage::Utf8ToUtf16(args[++i]);
    } else if (const auto n = Number(args[i]); n && !speech) {
      what = "proverb " + args[i];
      speech = ProverbSpeech(*n);
      if (!speech) return 1;
    } else {
      return Usage();
    }
  }
  if (!speech) return Usage();
  if (speech->empty()) {
    std::fprintf(stderr, "speak: %s has no speech string; the game says nothing\n", what.c_str());
    return 1;
  }
  PrintPlan(*speech);
  std::fflush(stdout);
  const std::string koe = codepage::Utf16ToSjis(*speech);
  if (!output) {
    const int result = AquesTalkDa_PlaySync(koe.c_str(), 100);
    if (result != AQTK_OK) std::fprintf(stderr, "speak: the voice failed (%d)\n", result);
    return result == AQTK_OK ? 0 : 1;
  }
  speechstandin::Speech sound;
  const int result = speechstandin::Synthesize(koe.c_str(), 100, sound);
  if (result != AQTK_OK) {
    std::fprintf(stderr, "speak: the voice failed (%d): is espeak-ng's data installed?\n", result);
    return 1;
  }
  if (!speechstandin::WriteWave(*output, sound)) {
    std::fprintf(stderr, "speak: cannot write %s\n", output->c_str());
    return 1;
  }
  return 0;
}

}  // namespace tool
