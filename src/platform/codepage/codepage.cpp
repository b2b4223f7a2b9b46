#include "platform/codepage/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace codepage {
namespace {

// One iconv conversion descriptor, closed on every path.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts one piece; returns false when iconv rejects it (invalid, incomplete or
  // unconvertible input). The output is appended only on success.
  bool Convert(const char* in, size_t inLen, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    std::string buffer(inLen * 4 + 16, '\0');
    char* inPtr = const_cast<char*>(in);
    size_t inLeft = inLen;
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
    if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
    out.append(buffer.data(), buffer.size() - outLeft);
    return true;
  }

 private:
  iconv_t cd_;
};

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

std::u16string FromUtf16LeBytes(const std::string& bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return out;
}

}  // namespace

bool IsUnmarkedUtf8(std::string_view bytes) {
  bool nonAscii = false;
  for (const char c : bytes) nonAscii = nonAscii || static_cast<unsigned char>(c) >= 0x80;
  return nonAscii && Utf16ToUtf8(Utf8ToUtf16(bytes)) == bytes;
}

bool IsSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::u16string SjisToUtf16(std::string_view sjis) {
  thread_local Converter converter("UTF-16LE", "CP932");
  std::u16string out;
  out.reserve(sjis.size());
  std::string piece;
  // Character by character, so one bad sequence costs one U+FFFD and nothing else.
  size_t i = 0;
  while (i < sjis.size()) {
    const auto byte = static_cast<unsigned char>(sjis[i]);
    if (byte < 0x80) {
      out.push_back(static_cast<char16_t>(byte));
      ++i;
      continue;
    }
    const size_t len = (IsSjisLeadByte(byte) && i + 1 < sjis.size()) ? 2 : 1;
    piece.clear();
    if (converter.Convert(sjis.data() + i, len, piece) && !piece.empty()) {
      out += FromUtf16LeBytes(piece);
    } else {
      out.push_back(u'\uFFFD');
    }
    i += len;
  }
  return out;
}

std::string Utf16ToSjis(std::u16string_view text) {
  thread_local Converter converter("CP932", "UTF-16LE");
  std::string out;
  out.reserve(text.size() * 2);
  std::string piece;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
      // Nothing outside the BMP is in code page 932; a pair is one character, one '?'.
      if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
      out.push_back('?');
      continue;
    }
    const char bytes[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    piece.clear();
    if (converter.Convert(bytes, 2, piece) && !piece.empty()) {
      out += piece;
    } else {
      out.push_back('?');
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const auto b0 = static_cast<unsigned char>(utf8[i]);
    size_t len = 0;
    char32_t cp = 0;
    if (b0 < 0x80) {
      len = 1;
      cp = b0;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
      len = 2;
      cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      len = 3;
      cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      len = 4;
      cp = b0 & 0x07;
    }
    bool ok = len > 0 && i + len <= utf8.size();
    for (size_t k = 1; ok && k < len; ++k) {
      const auto b = static_cast<unsigned char>(utf8[i + k]);
      if ((b & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (ok) {
      const bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
      if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) ok = false;
    }
    if (!ok) {
      out.push_back(u'\uFFFD');
      ++i;  // resynchronise on the next byte
      continue;
    }
    AppendUtf16(out, cp);
    i += len;
  }
  return out;
}

char32_t NextCodePoint(std::u16string_view text, size_t& i) {
  char32_t cp = text[i++];
  if (cp >= 0xD800 && cp <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
    cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i++] - 0xDC00);
  }
  return cp;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size();) {
    char32_t cp = NextCodePoint(text, i);
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::string SjisToUtf8(std::string_view sjis) { return Utf16ToUtf8(SjisToUtf16(sjis)); }
std::string Utf8ToSjis(std::string_view utf8) { return Utf16ToSjis(Utf8ToUtf16(utf8)); }

}  // namespace codepage
