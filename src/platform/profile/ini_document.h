// The text of a private-profile INI file as lines, so that one key can be looked up or set
// while every other line stays exactly as it was (comments, blank lines, lines the format does
// not know, and each line's own line end).
//
// A section starts at a line "[name]"; a key line is "key=value". Names compare without regard
// to ASCII case (the second byte of a Shift-JIS character is never folded); spaces and tabs
// around names and values are ignored, and one pair of matching quotes around a value is
// removed. Lines before the first section belong to no section.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace profile {

class TIniDocument {
 public:
  explicit TIniDocument(std::string_view text = {});

  // The value of the first line with this key in a section of this name.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  // Sets the key: its first line is rewritten; a missing key is added after the last entry of
  // the section's first block; a missing section is added at the end. Names and value must
  // already be valid (IsValid*).
  void Set(std::string_view section, std::string_view key, std::string_view value);

  // The whole text, for writing back.
  std::string Text() const;

  // What a file can hold on one line: no line breaks or NUL anywhere; a section name without
  // ']'; a key without '=' that does not start with '['; neither name empty.
  static bool IsValidSection(std::string_view section);
  static bool IsValidKey(std::string_view key);
  static bool IsValidValue(std::string_view value);

  // Compares names the way lookups do.
  static bool NamesEqual(std::string_view a, std::string_view b);

 private:
  struct Line {
    std::string Text;
    std::string Ending;  // "\r\n", "\n", "\r", or empty for a last line without a break
  };
  enum class Kind { Other, Section, Key };
  struct Parsed {
    Kind LineKind = Kind::Other;
    std::string_view Name;   // section or key name, trimmed
    std::string_view Value;  // key lines: the value, trimmed, quotes not yet removed
  };
  static Parsed ParseLine(std::string_view line);
  void EnsureLastLineEnds();

  std::vector<Line> lines_;
  std::string newline_ = "\r\n";  // for lines this document adds: the file's own line end
};

}  // namespace profile
