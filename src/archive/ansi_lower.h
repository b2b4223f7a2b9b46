// Lower-casing of ANSI (Shift-JIS) text the way the archive compares IDs.
#pragma once

#include <string>
#include <string_view>

// Single-byte A-Z become a-z. Double-byte characters are kept whole (their second byte may
// look like an ASCII capital and must not change), except the letters that have a lower-case
// form in the code page: full-width Ａ-Ｚ, Greek Α-Ω and Cyrillic А-Я.
// A lead byte at the very end (a cut-off character) is kept as it is.
std::string AnsiLowerCase(std::string_view sjis);
