#include "platform/gdi/font_resolver.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <tuple>

#include "platform/base/free_with.h"
#include "platform/codepage/codepage.h"

namespace gdi {
namespace {

using Pattern = std::unique_ptr<FcPattern, TFreeWith<FcPatternDestroy>>;
using FontSet = std::unique_ptr<FcFontSet, TFreeWith<FcFontSetDestroy>>;
using ObjectSet = std::unique_ptr<FcObjectSet, TFreeWith<FcObjectSetDestroy>>;

// The installed fonts are the system's, shared by every font of the process like GDI's font
// table: one fontconfig configuration, loaded on first use (a few milliseconds) and freed at
// exit. fontconfig's own default (FcInit) is never freed, so it is not used.
FcConfig* Config() {
  static const std::unique_ptr<FcConfig, TFreeWith<FcConfigDestroy>> config(
      FcInitLoadConfigAndFonts());
  return config.get();
}

const FcChar8* Bytes(const std::string& s) { return reinterpret_cast<const FcChar8*>(s.c_str()); }

std::string StringOf(FcPattern* p, const char* object, int index = 0) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(p, object, index, &value) != FcResultMatch || value == nullptr) return {};
  return reinterpret_cast<const char*>(value);
}

std::vector<std::string> FamiliesOf(FcPattern* p) {
  std::vector<std::string> names;
  for (int i = 0;; ++i) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(p, FC_FAMILY, i, &value) != FcResultMatch) break;
    names.emplace_back(reinterpret_cast<const char*>(value));
  }
  return names;
}

// Weight and slant may be stored as integers or doubles depending on the font's origin.
double NumberOf(FcPattern* p, const char* object, double fallback) {
  FcValue value;
  if (FcPatternGet(p, object, 0, &value) != FcResultMatch) return fallback;
  if (value.type == FcTypeInteger) return value.u.i;
  if (value.type == FcTypeDouble) return value.u.d;
  return fallback;
}

bool HasJapanese(FcPattern* p) {
  FcLangSet* langs = nullptr;
  if (FcPatternGetLangSet(p, FC_LANG, 0, &langs) != FcResultMatch || langs == nullptr) {
    return false;
  }
  return FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) != FcLangDifferentLang;
}

double WantedWeight(const LOGFONTA& log) {
  const LONG weight = log.lfWeight <= 0 ? FW_NORMAL : std::min<LONG>(log.lfWeight, 1000);
  return FcWeightFromOpenTypeDouble(weight);
}

ResolvedFont FromPattern(FcPattern* p, std::string faceName) {
  ResolvedFont font;
  font.File = StringOf(p, FC_FILE);
  int index = 0;
  FcPatternGetInteger(p, FC_INDEX, 0, &index);
  font.Index = index;
  font.FaceName = std::move(faceName);
  font.Bold = NumberOf(p, FC_WEIGHT, FC_WEIGHT_REGULAR) >= FC_WEIGHT_DEMIBOLD;
  font.Italic = NumberOf(p, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
  font.Japanese = HasJapanese(p);
  return font;
}

// The installed face of the family named face (compared without regard to case, as GDI
// does) that fits the weight and slant best; empty when the family is not installed or, with
// needJapanese, has no face covering Japanese.
std::optional<ResolvedFont> FindInstalled(const std::string& face, const LOGFONTA& log,
                                          bool needJapanese) {
  if (Config() == nullptr) return std::nullopt;
  Pattern query(FcPatternCreate());
  FcPatternAddString(query.get(), FC_FAMILY, Bytes(face));
  FcPatternAddBool(query.get(), FC_SCALABLE, FcTrue);
  ObjectSet objects(FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, FC_LANG,
                                     static_cast<char*>(nullptr)));
  FontSet fonts(FcFontList(Config(), query.get(), objects.get()));
  if (!fonts) return std::nullopt;

  const double wantWeight = WantedWeight(log);
  const bool wantItalic = log.lfItalic != 0;
  FcPattern* best = nullptr;
  std::tuple<int, double, std::string, int> bestKey;
  std::string bestName;
  for (int i = 0; i < fonts->nfont; ++i) {
    FcPattern* p = fonts->fonts[i];
    std::string matchedName;
    for (const auto& name : FamiliesOf(p)) {
      if (FcStrCmpIgnoreCase(Bytes(name), Bytes(face)) == 0) {
        matchedName = name;
        break;
      }
    }
    if (matchedName.empty()) continue;
    if (needJapanese && !HasJapanese(p)) continue;
    const bool italic = NumberOf(p, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
    int index = 0;
    FcPatternGetInteger(p, FC_INDEX, 0, &index);
    // Slant first, then the nearest weight, then file and index so the choice never varies.
    auto key = std::make_tuple(italic != wantItalic ? 1 : 0,
                               std::abs(NumberOf(p, FC_WEIGHT, FC_WEIGHT_REGULAR) - wantWeight),
                               StringOf(p, FC_FILE), index);
    if (best == nullptr || key < bestKey) {
      best = p;
      bestKey = std::move(key);
      bestName = matchedName;
    }
  }
  if (best == nullptr) return std::nullopt;
  return FromPattern(best, bestName);
}

bool LooksSerif(const LOGFONTA& log, const std::string& face) {
  if ((log.lfPitchAndFamily & 0xF0) == FF_ROMAN) return true;
  std::string lower = face;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.find("mincho") != std::string::npos || face.find("明朝") != std::string::npos ||
         (lower.find("serif") != std::string::npos && lower.find("sans") == std::string::npos);
}

// fontconfig's best Japanese face for a generic family ("serif" or "sans-serif").
std::optional<ResolvedFont> MatchJapanese(const char* generic, const LOGFONTA* log) {
  if (Config() == nullptr) return std::nullopt;
  Pattern query(FcPatternCreate());
  FcPatternAddString(query.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(generic));
  FcPatternAddString(query.get(), FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddBool(query.get(), FC_SCALABLE, FcTrue);
  if (log != nullptr) {
    FcPatternAddDouble(query.get(), FC_WEIGHT, WantedWeight(*log));
    FcPatternAddInteger(query.get(), FC_SLANT, log->lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  }
  FcConfigSubstitute(Config(), query.get(), FcMatchPattern);
  FcDefaultSubstitute(query.get());
  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(Config(), query.get(), &result));
  if (!match || StringOf(match.get(), FC_FILE).empty()) return std::nullopt;
  ResolvedFont font = FromPattern(match.get(), StringOf(match.get(), FC_FAMILY));
  font.Serif = std::string(generic) == "serif";
  return font;
}

struct JapaneseKind {
  bool Serif = false;         // Mincho rather than Gothic
  bool Proportional = false;  // the "P" faces
};

// The Windows Japanese faces by kind, keyed by the name folded to half-width lower case
// without blanks, so that "ＭＳ Ｐゴシック", "MS PGothic" and "ms pgothic" meet.
std::optional<JapaneseKind> WindowsJapaneseKind(const std::string& face) {
  std::u16string folded;
  for (char16_t c : codepage::Utf8ToUtf16(face)) {
    if (c >= u'\uFF01' && c <= u'\uFF5E') c = static_cast<char16_t>(c - 0xFEE0);
    if (c == u' ' || c == u'\u3000') continue;
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    folded += c;
  }
  static const struct {
    const char16_t* Name;
    JapaneseKind Kind;
  } kFaces[] = {
      {u"msgothic", {false, false}}, {u"msゴシック", {false, false}},
      {u"mspgothic", {false, true}}, {u"mspゴシック", {false, true}},
      {u"msmincho", {true, false}},  {u"ms明朝", {true, false}},
      {u"mspmincho", {true, true}},  {u"msp明朝", {true, true}},
  };
  for (const auto& entry : kFaces) {
    if (folded == entry.Name) return entry.Kind;
  }
  return std::nullopt;
}

bool NameLooksSerif(const std::string& family) {
  LOGFONTA log{};
  return LooksSerif(log, family);
}

// fontconfig's preferred Japanese faces for the kind's generic family, the first whose name
// and spacing match the kind; fontconfig's first Japanese choice when none does.
std::string JapaneseFamilyOfKind(const JapaneseKind& kind) {
  if (Config() == nullptr) return {};
  Pattern query(FcPatternCreate());
  FcPatternAddString(query.get(), FC_FAMILY, Bytes(kind.Serif ? "serif" : "sans-serif"));
  FcPatternAddString(query.get(), FC_LANG, Bytes("ja"));
  FcPatternAddBool(query.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(Config(), query.get(), FcMatchPattern);
  FcDefaultSubstitute(query.get());
  FcResult result = FcResultNoMatch;
  FontSet sorted(FcFontSort(Config(), query.get(), FcFalse, nullptr, &result));
  if (!sorted) return {};
  std::string firstJapanese;
  for (int i = 0; i < sorted->nfont; ++i) {
    FcPattern* p = sorted->fonts[i];
    if (!HasJapanese(p)) continue;
    const std::string family = StringOf(p, FC_FAMILY);
    if (firstJapanese.empty()) firstJapanese = family;
    int spacing = FC_PROPORTIONAL;
    FcPatternGetInteger(p, FC_SPACING, 0, &spacing);
    const bool proportional = spacing == FC_PROPORTIONAL;
    if (NameLooksSerif(family) == kind.Serif && proportional == kind.Proportional) return family;
  }
  return firstJapanese;
}

}  // namespace

std::string WindowsJapaneseSubstitute(const std::string& face) {
  const auto kind = WindowsJapaneseKind(face);
  if (!kind) return {};
  LOGFONTA log{};
  if (FindInstalled(face, log, false)) return {};
  return JapaneseFamilyOfKind(*kind);
}

std::optional<ResolvedFont> ResolveFont(const LOGFONTA& log) {
  const std::string face = codepage::SjisToUtf8(FaceName(log));
  if (!face.empty()) {
    if (auto installed = FindInstalled(face, log, log.lfCharSet == SHIFTJIS_CHARSET)) {
      return installed;
    }
    // The Windows Japanese faces the design names become the installed ones of their kind.
    const std::string substitute = WindowsJapaneseSubstitute(face);
    if (!substitute.empty()) {
      if (auto installed = FindInstalled(substitute, log, false)) return installed;
    }
  }
  return MatchJapanese(LooksSerif(log, face) ? "serif" : "sans-serif", &log);
}

std::optional<ResolvedFont> ResolveFallback(const LOGFONTA& log, char32_t codePoint) {
  if (Config() == nullptr) return std::nullopt;
  const std::string face = codepage::SjisToUtf8(FaceName(log));
  Pattern query(FcPatternCreate());
  FcPatternAddString(query.get(), FC_FAMILY, Bytes(LooksSerif(log, face) ? "serif" : "sans-serif"));
  const std::unique_ptr<FcCharSet, TFreeWith<FcCharSetDestroy>> wanted(FcCharSetCreate());
  FcCharSetAddChar(wanted.get(), codePoint);
  FcPatternAddCharSet(query.get(), FC_CHARSET, wanted.get());
  FcPatternAddBool(query.get(), FC_SCALABLE, FcTrue);
  FcPatternAddDouble(query.get(), FC_WEIGHT, WantedWeight(log));
  FcPatternAddInteger(query.get(), FC_SLANT, log.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(Config(), query.get(), FcMatchPattern);
  FcDefaultSubstitute(query.get());
  FcResult result = FcResultNoMatch;
  FontSet sorted(FcFontSort(Config(), query.get(), FcFalse, nullptr, &result));
  if (!sorted) return std::nullopt;
  for (int i = 0; i < sorted->nfont; ++i) {
    FcPattern* p = sorted->fonts[i];
    FcCharSet* has = nullptr;
    if (FcPatternGetCharSet(p, FC_CHARSET, 0, &has) != FcResultMatch ||
        !FcCharSetHasChar(has, codePoint)) {
      continue;
    }
    // The text writer draws outlines: a face of coloured bitmaps (an emoji face) has none.
    FcBool outline = FcFalse;
    if (FcPatternGetBool(p, FC_OUTLINE, 0, &outline) != FcResultMatch || !outline) continue;
    if (StringOf(p, FC_FILE).empty()) continue;
    return FromPattern(p, StringOf(p, FC_FAMILY));
  }
  return std::nullopt;
}

std::vector<std::string> ListFamilyNames() {
  if (Config() == nullptr) return {};
  Pattern query(FcPatternCreate());
  FcPatternAddBool(query.get(), FC_SCALABLE, FcTrue);
  ObjectSet objects(FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr)));
  FontSet fonts(FcFontList(Config(), query.get(), objects.get()));
  std::vector<std::string> names;
  if (fonts) {
    for (int i = 0; i < fonts->nfont; ++i) {
      for (auto& name : FamiliesOf(fonts->fonts[i])) names.push_back(std::move(name));
    }
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

std::string JapaneseSansFamily() {
  auto font = MatchJapanese("sans-serif", nullptr);
  return font ? font->FaceName : std::string();
}

}  // namespace gdi
