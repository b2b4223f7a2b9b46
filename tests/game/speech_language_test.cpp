// Every speech string the game can say stays in espeak-ng's Japanese voice: espeak-ng switches
// to another language for text it reads as foreign (Latin letters, for one), and its phoneme
// listing shows such a switch as "(en)". Checked on the 170 built-in speech strings and on
// the readings that additional questions speak, through the real espeak-ng program.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "platform/base/files.h"
#include "platform/codepage/codepage.h"
#include "platform/speech/aquestalk.h"
#include "rules/catalogue.h"

namespace {

struct Phonemes {
  int Status = -1;
  std::string Text;
};

// espeak-ng's phonemes for the lines of `text`, read from a file so no shell quoting applies.
Phonemes EspeakPhonemes(const std::string& text) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("nightwisp-speech-" + std::to_string(::getpid()) + ".txt");
  std::ofstream(file, std::ios::binary) << text;
  Phonemes result;
  const std::string command = "espeak-ng -q -x -v ja -f '" + file.string() + "' 2>&1";
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    std::array<char, 4096> buffer;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
      result.Text.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::filesystem::remove(file);
  return result;
}

// The words espeak-ng reads for a speech string: the text between the tags of what it is given.
std::string SpokenWords(const std::u16string& speech) {
  static const std::regex tag("<[^>]*>");
  return std::regex_replace(speechstandin::SynthesisInput(speech), tag, "");
}

bool SwitchesLanguage(const std::string& phonemes) {
  static const std::regex languageSwitch(R"(\([a-z]{2,3}(-[a-z0-9]+)*\))");
  return std::regex_search(phonemes, languageSwitch);
}

// What the game can speak: each non-empty built-in speech string, and the readings that
// additional questions speak as they stand (those of the shipped file, and every built-in
// reading, as a player copying a proverb into the file would write it).
std::vector<std::pair<std::string, std::u16string>> SpokenTexts() {
  TCatalogue catalogue;
  BuildMondaiTable(catalogue);
  const TuikaLoadResult shipped = LoadTuikaMondai(catalogue, files::ExecutableFolder());
  EXPECT_TRUE(shipped.FileFound && shipped.Error.empty()) << "the shipped 追加問題.txt";
  std::vector<std::pair<std::string, std::u16string>> texts;
  for (std::int32_t n = 1; n <= catalogue.MondaiCount(); ++n) {
    if (!catalogue.Speech(n).empty()) {
      texts.emplace_back("speech string " + std::to_string(n), catalogue.Speech(n));
    }
  }
  for (std::int32_t n = 1; n <= kBuiltInMondaiCount; ++n) {
    if (!catalogue.Speech(n).empty()) {
      texts.emplace_back("reading " + std::to_string(n), catalogue.Reading(n));
    }
  }
  return texts;
}

TEST(SpeechLanguageTest, TheCheckSeesAFallBack) {
  // Without this the test below would pass on a program that never marks a switch.
  const Phonemes english = EspeakPhonemes("The die is cast.\n");
  ASSERT_EQ(english.Status, 0) << "espeak-ng did not run: " << english.Text;
  EXPECT_TRUE(SwitchesLanguage(english.Text)) << english.Text;
  const Phonemes japanese = EspeakPhonemes(SpokenWords(u"おに'に/かな'ぼう") + "\n");
  ASSERT_EQ(japanese.Status, 0);
  EXPECT_FALSE(SwitchesLanguage(japanese.Text)) << japanese.Text;
  EXPECT_FALSE(japanese.Text.empty());
}

TEST(SpeechLanguageTest, EverySpokenTextStaysJapanese) {
  const auto texts = SpokenTexts();
  ASSERT_GE(texts.size(), 2u * 166u);
  // All at once, one line each; only when something switched, one by one to name it.
  std::string all;
  for (const auto& [name, speech] : texts) all += SpokenWords(speech) + "\n";
  const Phonemes together = EspeakPhonemes(all);
  ASSERT_EQ(together.Status, 0) << together.Text;
  EXPECT_GT(together.Text.size(), all.size() / 2);
  if (!SwitchesLanguage(together.Text)) return;
  for (const auto& [name, speech] : texts) {
    const Phonemes one = EspeakPhonemes(SpokenWords(speech) + "\n");
    EXPECT_FALSE(SwitchesLanguage(one.Text))
        << name << " \"" << codepage::Utf16ToUtf8(speech) << "\" -> " << one.Text;
  }
}

}  // namespace
