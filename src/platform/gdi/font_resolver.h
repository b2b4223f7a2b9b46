// Font mapping through fontconfig: which installed file a LOGFONTA gets, the installed family
// names, and the desktop's Japanese sans-serif face. Names here are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace gdi {

struct ResolvedFont {
  std::string File;
  int Index = 0;          // face index inside the file
  std::string FaceName;   // the realised face's family name, as GetTextFaceA reports it
  bool Bold = false;      // the file's own face is bold (no synthesis needed)
  bool Italic = false;    // the file's own face is italic or oblique
  bool Japanese = false;  // the face covers Japanese
  bool Serif = false;     // mapped to the serif (Mincho) side when the face was not installed
};

// The installed face for log, or the Japanese face GDI's mapper would give instead: when the
// face is not installed, or the Shift-JIS character set is asked for and the face has no
// Japanese. Empty only when not even a fallback can be found.
std::optional<ResolvedFont> ResolveFont(const LOGFONTA& log);

// The installed outline face that has the character codePoint, of the kind log asks for (serif
// or sans-serif, weight, slant) as far as fontconfig can: for what the face log resolves to
// lacks (Korean, an emoji). Empty when no installed face has it.
std::optional<ResolvedFont> ResolveFallback(const LOGFONTA& log, char32_t codePoint);

// Every scalable family name, localised names included, sorted, without duplicates.
std::vector<std::string> ListFamilyNames();

// The family that fontconfig gives for "sans-serif:lang=ja" (the icon-title face).
std::string JapaneseSansFamily();

// The installed Japanese family of the same kind (Gothic or Mincho, proportional or fixed) for
// a Windows Japanese face name ("ＭＳ Ｐゴシック" or "MS PGothic", "ＭＳ ゴシック", "ＭＳ 明朝",
// "ＭＳ Ｐ明朝"); empty for any other name, or when that face is itself installed.
std::string WindowsJapaneseSubstitute(const std::string& face);

}  // namespace gdi
