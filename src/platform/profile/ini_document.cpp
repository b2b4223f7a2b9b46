#include "platform/profile/ini_document.h"

#include "platform/codepage/codepage.h"

namespace profile {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// One pair of matching quotes around a value is not part of it.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// A value that would not read back as written (blanks at either end, or quotes of its own
// around it) is stored inside one more pair of quotes.
std::string StoredValue(std::string_view value) {
  const bool needsQuotes = (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) ||
                           Unquote(value).size() != value.size();
  if (!needsQuotes) return std::string(value);
  return "\"" + std::string(value) + "\"";
}

}  // namespace

TIniDocument::TIniDocument(std::string_view text) {
  bool endingSeen = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines_.push_back({std::string(text.substr(start)), std::string()});
      break;
    }
    const std::size_t endingLength =
        (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    lines_.push_back({std::string(text.substr(start, end - start)),
                      std::string(text.substr(end, endingLength))});
    if (!endingSeen) {
      newline_ = lines_.back().Ending;
      endingSeen = true;
    }
    start = end + endingLength;
  }
}

bool TIniDocument::NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (codepage::IsSjisLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      // A two-byte character: both bytes exactly.
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

TIniDocument::Parsed TIniDocument::ParseLine(std::string_view line) {
  Parsed parsed;
  const std::string_view text = Trim(line);
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close != std::string_view::npos) {
      parsed.LineKind = Kind::Section;
      parsed.Name = Trim(text.substr(1, close - 1));
    }
    return parsed;
  }
  const std::size_t equals = text.find('=');
  if (equals != std::string_view::npos) {
    parsed.LineKind = Kind::Key;
    parsed.Name = Trim(text.substr(0, equals));
    parsed.Value = Trim(text.substr(equals + 1));
  }
  return parsed;
}

std::optional<std::string> TIniDocument::Find(std::string_view section,
                                              std::string_view key) const {
  bool inSection = false;
  for (const Line& line : lines_) {
    const Parsed parsed = ParseLine(line.Text);
    if (parsed.LineKind == Kind::Section) {
      inSection = NamesEqual(parsed.Name, section);
    } else if (inSection && parsed.LineKind == Kind::Key && NamesEqual(parsed.Name, key)) {
      return std::string(Unquote(parsed.Value));
    }
  }
  return std::nullopt;
}

void TIniDocument::EnsureLastLineEnds() {
  if (!lines_.empty() && lines_.back().Ending.empty()) lines_.back().Ending = newline_;
}

void TIniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string keyLine = std::string(key) + "=" + StoredValue(value);

  // The key's first line, in any block of the section: rewritten in place.
  bool inSection = false;
  std::optional<std::size_t> firstHeader;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Parsed parsed = ParseLine(lines_[i].Text);
    if (parsed.LineKind == Kind::Section) {
      inSection = NamesEqual(parsed.Name, section);
      if (inSection && !firstHeader) firstHeader = i;
    } else if (inSection && parsed.LineKind == Kind::Key && NamesEqual(parsed.Name, key)) {
      lines_[i].Text = keyLine;
      return;
    }
  }

  // A new key of an existing section: after the last non-blank line of its first block, so
  // the blank lines that separate it from the next section stay where they are.
  if (firstHeader) {
    std::size_t insertAt = *firstHeader + 1;
    for (std::size_t i = *firstHeader + 1; i < lines_.size(); ++i) {
      const std::string_view text = lines_[i].Text;
      if (ParseLine(text).LineKind == Kind::Section) break;
      if (!Trim(text).empty()) insertAt = i + 1;
    }
    if (insertAt == lines_.size()) EnsureLastLineEnds();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), Line{keyLine, newline_});
    return;
  }

  // A new section at the end.
  EnsureLastLineEnds();
  lines_.push_back({"[" + std::string(section) + "]", newline_});
  lines_.push_back({keyLine, newline_});
}

std::string TIniDocument::Text() const {
  std::string text;
  for (const Line& line : lines_) {
    text += line.Text;
    text += line.Ending;
  }
  return text;
}

bool TIniDocument::IsValidSection(std::string_view section) {
  return !Trim(section).empty() && section.find(']') == std::string_view::npos &&
         !HasLineBreakOrNul(section);
}

bool TIniDocument::IsValidKey(std::string_view key) {
  const std::string_view trimmed = Trim(key);
  return !trimmed.empty() && trimmed.front() != '[' && key.find('=') == std::string_view::npos &&
         !HasLineBreakOrNul(key);
}

bool TIniDocument::IsValidValue(std::string_view value) { return !HasLineBreakOrNul(value); }

}  // namespace profile
