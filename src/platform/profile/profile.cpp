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

}  // namespace

std::string GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                     std::string_view defaultValue,
                                     const std::filesystem::path& fileName) {
  std::optional<std::string> value = FindValue(section, key, fileName);
  if (!value) return std::string(defaultValue);
  // A value ends at a NUL, as the C string of the Windows call does: what is read is always
  // something that can be written back.
  if (const std::size_t nul = value->find('\0'); nul != std::string::npos) value->resize(nul);
  return std::move(*value);
}

std::int32_t GetPrivateProfileIntA(std::string_view section, std::string_view key,
                                   std::int32_t defaultValue,
                                   const std::filesystem::path& fileName) {
  const std::optional<std::string> value = FindValue(section, key, fileName);
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

bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                std::string_view value, const std::filesystem::path& fileName) {
  std::string ignored;
  return WriteProfileString(section, key, value, fileName, ignored);
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& fileName, std::string& reason) {
  using profile::TIniDocument;
  if (fileName.empty()) {
    reason = "no file name";
    return false;
  }
  if (!TIniDocument::IsValidSection(section) || !TIniDocument::IsValidKey(key) ||
      !TIniDocument::IsValidValue(value)) {
    reason = fileName.string() + ": [" + std::string(section) + "] " + std::string(key) +
             " cannot hold a line break or a NUL";
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

  // An existing file that cannot be read must not be replaced by one holding only this key.
  std::string bytes;
  const std::filesystem::file_status status = std::filesystem::status(fileName, error);
  if (std::filesystem::exists(status)) {
    if (!std::filesystem::is_regular_file(status)) {
      reason = fileName.string() + " is not a file";
      return false;
    }
    std::optional<std::string> existing = ReadFile(fileName);
    if (!existing) {
      reason = "cannot read " + fileName.string();
      return false;
    }
    bytes = std::move(*existing);
  }
  TIniDocument document(bytes);
  document.Set(section, key, value);
  return files::ReplaceFile(fileName, document.Text(), reason);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
  return GetPrivateProfileStringA(section, key, defaultValue, fileName_);
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t defaultValue) const {
  return GetPrivateProfileIntA(section, key, defaultValue, fileName_);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string reason;
  if (WriteProfileString(section, key, value, fileName_, reason)) return true;
  if (lastError_.empty()) lastError_ = reason;
  return false;
}

bool TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}
