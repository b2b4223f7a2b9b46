#include "archive/ansi_lower.h"

#include "platform/codepage/codepage.h"

namespace {

// The lower-case form of one double-byte character, returned as its second byte (the lead
// byte never changes for the letters the code page pairs up).
unsigned char LowerTrail(unsigned char lead, unsigned char trail) {
  if (lead == 0x82 && trail >= 0x60 && trail <= 0x79) {  // full-width Ａ-Ｚ -> ａ-ｚ
    return static_cast<unsigned char>(trail + 0x21);
  }
  if (lead == 0x83 && trail >= 0x9F && trail <= 0xB6) {  // Α-Ω -> α-ω
    return static_cast<unsigned char>(trail + 0x20);
  }
  if (lead == 0x84 && trail >= 0x40 && trail <= 0x60) {  // А-Я -> а-я (0x7F is not a trail)
    const int lower = trail + 0x30;
    return static_cast<unsigned char>(lower >= 0x7F ? lower + 1 : lower);
  }
  return trail;
}

}  // namespace

std::string AnsiLowerCase(std::string_view sjis) {
  std::string result(sjis);
  for (std::size_t i = 0; i < result.size(); ++i) {
    const auto byte = static_cast<unsigned char>(result[i]);
    if (codepage::IsSjisLeadByte(byte)) {
      if (i + 1 < result.size()) {
        result[i + 1] =
            static_cast<char>(LowerTrail(byte, static_cast<unsigned char>(result[i + 1])));
        ++i;
      }
    } else if (byte >= 'A' && byte <= 'Z') {
      result[i] = static_cast<char>(byte + ('a' - 'A'));
    }
  }
  return result;
}
