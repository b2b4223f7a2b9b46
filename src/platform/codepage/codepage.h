// The ANSI code page of the design: Shift-JIS (code page 932).
// The game's own 8-bit strings hold Shift-JIS bytes; wide strings are UTF-16.
// Conversions never stop half-way: characters outside the code page encode as '?',
// invalid bytes decode as U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace codepage {

// Shift-JIS bytes -> UTF-16. Invalid or truncated sequences become U+FFFD.
std::u16string SjisToUtf16(std::string_view sjis);
// UTF-16 -> Shift-JIS bytes. Characters outside code page 932 (and lone surrogates) become '?'.
std::string Utf16ToSjis(std::u16string_view text);

// UTF-8 <-> UTF-16 (source files, command lines and terminals are UTF-8).
// Invalid UTF-8 decodes as U+FFFD; lone surrogates encode as U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);

// Convenience pairs through UTF-16.
std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

// The code point at text[i], moving i past it: a surrogate pair is one code point; a lone
// surrogate is returned as it stands. i must be below text.size().
char32_t NextCodePoint(std::u16string_view text, size_t& i);

// True when the bytes are well-formed UTF-8 holding at least one non-ASCII character (decoding
// and encoding again gives them back unchanged). Shift-JIS text with kana or kanji practically
// never passes, so such text is what a UTF-8 editor wrote.
bool IsUnmarkedUtf8(std::string_view bytes);

// True when byte is the first byte of a two-byte Shift-JIS character (0x81-0x9F, 0xE0-0xFC).
bool IsSjisLeadByte(unsigned char byte);

}  // namespace codepage
