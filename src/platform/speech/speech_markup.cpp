#include "platform/speech/speech_markup.h"

#include "platform/codepage/codepage.h"

namespace speechstandin {
namespace {

// The pitch a mora's word is spoken at: っ takes the next mora's, ー the one before it.
std::vector<bool> WordPitches(const std::vector<TMora>& plan) {
  std::vector<bool> high(plan.size());
  for (std::size_t i = 0; i < plan.size(); ++i) high[i] = plan[i].High;
  for (std::size_t i = 1; i < plan.size(); ++i) {
    if (plan[i].Kana == u"ー" && !plan[i].StartsPhrase) high[i] = high[i - 1];
  }
  for (std::size_t i = plan.size(); i-- > 1;) {
    const std::size_t next = i;
    const std::size_t sokuon = i - 1;
    if (plan[sokuon].Kana == u"っ" && !plan[next].StartsPhrase) high[sokuon] = high[next];
  }
  return high;
}

}  // namespace

TSpeechMarkup ToSpeechMarkup(const std::vector<TMora>& plan) {
  const std::vector<bool> high = WordPitches(plan);
  TSpeechMarkup markup;
  std::string& ssml = markup.Ssml;
  ssml = "<speak><prosody range=\"0\">";
  std::u16string word;
  bool wordHigh = false;
  const auto closeWord = [&] {
    if (word.empty()) return;
    ssml += "<mark name=\"" + std::to_string(markup.Words.size() - 1) + "\"/><prosody pitch=\"";
    ssml += wordHigh ? kHighPitch : kLowPitch;
    ssml += "\">" + codepage::Utf16ToUtf8(word) + "</prosody> ";
    word.clear();
  };
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const TMora& mora = plan[i];
    if (word.empty() || mora.StartsPhrase || high[i] != wordHigh) {
      closeWord();
      if (mora.PauseBeforeMs > 0) {
        ssml += "<break time=\"" + std::to_string(mora.PauseBeforeMs) + "ms\"/> ";
      }
      markup.Words.emplace_back();
      wordHigh = high[i];
    }
    word += mora.Kana;
    markup.Words.back().push_back(i);
  }
  closeWord();
  ssml += "<mark name=\"end\"/></prosody></speak>";
  return markup;
}

}  // namespace speechstandin
