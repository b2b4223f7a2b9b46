#include "platform/speech/mora_timing.h"

namespace speechstandin {
namespace {

bool IsSyllabic(const std::string& phoneme) {
  if (phoneme.empty()) return false;
  const char c = phoneme[0];
  return c == 'a' || c == 'i' || c == 'u' || c == 'e' || c == 'o' || c == 'N';
}

bool HasOwnSound(const TMora& mora) { return mora.Kana != u"っ" && mora.Kana != u"ー"; }

struct TSpan {
  int Start = 0;
  int End = 0;
};

// The syllabic phonemes of each word, and each word's whole span.
struct TWordSounds {
  std::vector<std::vector<TSpan>> Syllables;
  std::vector<TSpan> Whole;
};

TWordSounds SplitByMarks(const std::vector<TSpeechEvent>& events, std::size_t wordCount,
                         int endMs) {
  TWordSounds sounds;
  sounds.Syllables.resize(wordCount);
  sounds.Whole.resize(wordCount);
  int word = -1;
  for (std::size_t i = 0; i < events.size(); ++i) {
    const TSpeechEvent& event = events[i];
    const int next = i + 1 < events.size() ? events[i + 1].Ms : endMs;
    if (event.IsMark) {
      if (word >= 0 && word < static_cast<int>(wordCount)) sounds.Whole[word].End = event.Ms;
      ++word;
      if (word < static_cast<int>(wordCount)) sounds.Whole[word] = {event.Ms, endMs};
    } else if (word >= 0 && word < static_cast<int>(wordCount) && IsSyllabic(event.Phoneme)) {
      sounds.Syllables[word].push_back({event.Ms, next});
    }
  }
  return sounds;
}

}  // namespace

std::vector<TMoraSound> TimeMorae(const std::vector<TMora>& plan,
                                  const std::vector<std::vector<std::size_t>>& words,
                                  const std::vector<TSpeechEvent>& events, double seconds) {
  std::vector<TMoraSound> morae(plan.size());
  for (std::size_t i = 0; i < plan.size(); ++i) {
    morae[i].Kana = plan[i].Kana;
    morae[i].High = plan[i].High;
  }
  const TWordSounds sounds = SplitByMarks(events, words.size(), static_cast<int>(seconds * 1000.0));
  for (std::size_t w = 0; w < words.size(); ++w) {
    std::vector<std::size_t> sounding;
    for (std::size_t index : words[w]) {
      if (index < plan.size() && HasOwnSound(plan[index])) sounding.push_back(index);
    }
    const std::vector<TSpan>& syllables = sounds.Syllables[w];
    for (std::size_t k = 0; k < sounding.size(); ++k) {
      TSpan span;
      if (syllables.size() == sounding.size()) {
        span = syllables[k];
      } else {  // the voice said it otherwise (a vowel dropped or merged): share the word out
        const TSpan whole = sounds.Whole[w];
        const int length = whole.End - whole.Start;
        const int count = static_cast<int>(sounding.size());
        const int at = static_cast<int>(k);
        span = {whole.Start + length * at / count, whole.Start + length * (at + 1) / count};
      }
      morae[sounding[k]].Start = span.Start / 1000.0;
      morae[sounding[k]].End = span.End / 1000.0;
    }
  }
  return morae;
}

}  // namespace speechstandin
