#include "platform/profile/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <system_error>

#include "platform/base/files.h"
#include "platform/profile/ini_document.h"

namespace {

// The file's bytes; nullopt when it is missing or cannot be read.
std::optional<std::string> ReadFile(const std::filesystem::path& fileName) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(fileName, error)) return std::nullopt;
  try {
    std::ifstream stream(fileName, std::ios::binary);
    if (!stream) return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    if (stream.bad()) return std::nullopt;
    return bytes;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<std::string> FindValue(std::string_view section, std::string_view key,
                                     const std::filesystem::path& fileName) {
  const std::optional<std::string> bytes = ReadFile(fileName);
  if (!bytes) return std::nullopt;
  return profile::TIniDocument(*bytes).Find(section, key);
}

// A value as the Windows call hands it back: it ends at a NUL, as a C string does, so that
// what is read is always something that can be written back.
std::string ValueOrDefault(std::optional<std::string> value, std::string_view defaultValue) {
  if (!value) return std::string(defaultValue);
  if (const std::size_t nul = value->find('\0'); nul != std::string::npos) value->resize(nul);
  return std::move(*value);
}

std::int32_t LeadingInteger(const std::optional<std::string>& value, std::int32_t defaultValue) {
  if (!value || value->empty()) return defaultValue;
  std::size_t i = 0;
  while (i < value->size() && ((*value)[i] == ' ' || (*value)[i] == '\t')) ++i;
  bool negative = false;
  if (i < value->size() && ((*value)[i] == '-' || (*value)[i] == '+')) {
    negative = (*value)[i] == '-';
    ++i;
  }
  std::int64_t magnitude = 0;
  for (; i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + ((*value)[i] - '0');
    if (magnitude > (std::int64_t{1} << 32)) magnitude = std::int64_t{1} << 32;  // saturate
  }
  const std::int64_t number = negative ? -magnitude : magnitude;
  if (number > std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (number < std::numeric_limits<std::int32_t>::min()) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(number);
}

bool StorableOnOneLine(std::string_view section, std::string_view key, std::string_view value,
                       const std::filesystem::path& fileName, std::string& reason) {
  using profile::TIniDocument;
  if (TIniDocument::IsValidSection(section) && TIniDocument::IsValidKey(key) &&
      TIniDocument::IsValidValue(value)) {
    return true;
  }
  reason = fileName.string() + ": [" + std::string(section) + "] " + std::string(key) +
           " cannot hold a line break or a NUL";
  return false;
}

// Whether the file may be replaced: its folder exists, and the name is a file or nothing yet.
// exists says which.
bool Replaceable(const std::filesystem::path& fileName, bool& exists, std::string& reason) {
  if (fileName.empty()) {
    reason = "no file name";
    return false;
  }
  std::error_code error;
  const std::filesystem::path folder =
      fileName.has_parent_path() ? fileName.parent_path() : std::filesystem::path(".");
  if (!std::filesystem::is_directory(folder, error)) {
    reason =
        fileName.string() + ": " +
        (error ? error.message()
               : folder.string() + (std::filesystem::exists(folder, error) ? " is not a folder"
                                                                           : " does not exist"));
    return false;
  }
  const std::filesystem::file_status status = std::filesystem::status(fileName, error);
  exists = std::filesystem::exists(status);
  if (exists && !std::filesystem::is_regular_file(status)) {
    reason = fileName.string() + " is not a file";
    return false;
  }
  return true;
}

}  // namespace

std::string GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                     std::string_view defaultValue,
                                     const std::filesystem::path& fileName) {
  return ValueOrDefault(FindValue(section, key, fileName), defaultValue);
}

std::int32_t GetPrivateProfileIntA(std::string_view section, std::string_view key,
                                   std::int32_t defaultValue,
                                   const std::filesystem::path& fileName) {
  return LeadingInteger(FindValue(section, key, fileName), defaultValue);
}

bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                std::string_view value, const std::filesystem::path& fileName) {
  std::string ignored;
  return WriteProfileString(section, key, value, fileName, ignored);
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& fileName, std::string& reason) {
  bool exists = false;
  if (!StorableOnOneLine(section, key, value, fileName, reason) ||
      !Replaceable(fileName, exists, reason)) {
    return false;
  }
  // An existing file that cannot be read must not be replaced by one holding only this key.
  std::optional<std::string> bytes = exists ? ReadFile(fileName) : std::string();
  if (!bytes) {
    reason = "cannot read " + fileName.string();
    return false;
  }
  profile::TIniDocument document(*bytes);
  document.Set(section, key, value);
  return files::ReplaceFile(fileName, document.Text(), reason);
}

// --- The INI objects ---------------------------------------------------------------------------

std::string TCustomIniFile::ReadString(std::string_view section, std::string_view key,
                                       std::string_view defaultValue) const {
  return ValueOrDefault(Value(section, key), defaultValue);
}

std::int32_t TCustomIniFile::ReadInteger(std::string_view section, std::string_view key,
                                         std::int32_t defaultValue) const {
  return LeadingInteger(Value(section, key), defaultValue);
}

bool TCustomIniFile::ReadBool(std::string_view section, std::string_view key,
                              bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool TCustomIniFile::WriteInteger(std::string_view section, std::string_view key,
                                  std::int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool TCustomIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

bool TCustomIniFile::Failed(const std::string& reason) {
  if (lastError_.empty()) lastError_ = reason;
  return false;
}

std::optional<std::string> TIniFile::Value(std::string_view section, std::string_view key) const {
  return FindValue(section, key, FileName());
}

bool TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string reason;
  return WriteProfileString(section, key, value, FileName(), reason) || Failed(reason);
}

TMemIniFile::TMemIniFile(std::filesystem::path fileName) : TCustomIniFile(std::move(fileName)) {
  std::error_code error;
  read_ = std::filesystem::exists(FileName(), error) ? ReadFile(FileName()) : std::string();
  if (read_) document_ = profile::TIniDocument(*read_);
}

std::optional<std::string> TMemIniFile::Value(std::string_view section,
                                              std::string_view key) const {
  return document_.Find(section, key);
}

bool TMemIniFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  std::string reason;
  if (!StorableOnOneLine(section, key, value, FileName(), reason)) return Failed(reason);
  document_.Set(section, key, value);
  return true;
}

bool TMemIniFile::UpdateFile() {
  std::string text = document_.Text();
  if (read_ && text == *read_) return true;  // nothing changed
  std::string reason;
  bool exists = false;  // either way: the copy was read when the object was made
  if (!Replaceable(FileName(), exists, reason)) return Failed(reason);
  // An existing file that could not be read must not be replaced by the keys written alone.
  if (!read_) return Failed("cannot read " + FileName().string());
  if (!files::ReplaceFile(FileName(), text, reason)) return Failed(reason);
  read_ = std::move(text);
  return true;
}
