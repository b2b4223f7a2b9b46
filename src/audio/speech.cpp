#include "audio/speech.h"

#include "platform/codepage/codepage.h"
#include "platform/speech/aquestalk.h"

bool SpeakSpeechString(const std::u16string& speech) {
  if (speech.empty()) {
    return false;
  }
  const std::string koe = codepage::Utf16ToSjis(speech);
  AquesTalkDa_PlaySync(koe.c_str(), kSpeechSpeed);  // its result is not needed
  return true;
}
