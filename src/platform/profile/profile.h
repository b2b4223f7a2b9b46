// Private-profile INI files: one key read or written at a time, as GetPrivateProfileStringA,
// GetPrivateProfileIntA and WritePrivateProfileStringA do. Names and values are Shift-JIS
// bytes; sections and keys match without regard to ASCII case; a missing file, section or key
// gives the default. A write keeps every other line of the file as it was and replaces the
// file whole (a temporary file in the same folder, flushed to disk, renamed over the old one),
// so a failure never leaves half a file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/profile/ini_document.h"

// The key's value, or defaultValue when the file, the section or the key is missing. A value
// ends at its first NUL, if any.
std::string GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                     std::string_view defaultValue,
                                     const std::filesystem::path& fileName);

// The leading integer of the key's value: blanks, an optional sign, decimal digits; reading
// stops at the first other character ("12abc" is 12, "abc" is 0) and is clamped to the int32
// range. defaultValue when the file, the section or the key is missing or the value is empty.
std::int32_t GetPrivateProfileIntA(std::string_view section, std::string_view key,
                                   std::int32_t defaultValue,
                                   const std::filesystem::path& fileName);

// Sets the key, creating the file or the section when missing. False when nothing was
// written: the folder does not exist or cannot be written, the existing file cannot be read,
// or a name or the value cannot be stored on one line (see TIniDocument::IsValid*).
bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                std::string_view value, const std::filesystem::path& fileName);

// The same, with the reason (naming the file) when nothing was written.
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& fileName, std::string& reason);

// The INI objects the game opens on Settei.ini. Reading and writing keys is the same on both;
// TIniFile reads and writes the file at every call, as the three calls above do, while
// TMemIniFile reads the file once and acts on that copy until UpdateFile replaces the file.
class TCustomIniFile {
 public:
  explicit TCustomIniFile(std::filesystem::path fileName) : fileName_(std::move(fileName)) {}
  virtual ~TCustomIniFile() = default;
  TCustomIniFile(const TCustomIniFile&) = delete;
  TCustomIniFile& operator=(const TCustomIniFile&) = delete;

  const std::filesystem::path& FileName() const { return fileName_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;
  // A boolean is stored as an integer: "1" and "0" when written, any non-zero reads true.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  virtual bool WriteString(std::string_view section, std::string_view key,
                           std::string_view value) = 0;
  bool WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  bool WriteBool(std::string_view section, std::string_view key, bool value);
  // Why the first write that failed on this object failed (naming the file); empty when none has.
  const std::string& LastError() const { return lastError_; }

 protected:
  // The key's value as stored, or nullopt when the file, the section or the key is missing.
  virtual std::optional<std::string> Value(std::string_view section,
                                           std::string_view key) const = 0;
  // Keeps the reason of the first failed write.
  bool Failed(const std::string& reason);

 private:
  std::filesystem::path fileName_;
  std::string lastError_;
};

class TIniFile : public TCustomIniFile {
 public:
  using TCustomIniFile::TCustomIniFile;
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) override;

 protected:
  std::optional<std::string> Value(std::string_view section, std::string_view key) const override;
};

class TMemIniFile : public TCustomIniFile {
 public:
  // Reads the file; a missing or unreadable one reads as empty.
  explicit TMemIniFile(std::filesystem::path fileName);
  // Sets the key in the copy; false when a name or the value cannot be stored on one line.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) override;
  // Replaces the file with the copy, once, when a write changed it. False when nothing was
  // written: as WritePrivateProfileStringA, an existing file that could not be read is never
  // replaced.
  bool UpdateFile();

 protected:
  std::optional<std::string> Value(std::string_view section, std::string_view key) const override;

 private:
  std::optional<std::string> read_;  // the file as read ("" when missing); nullopt: unreadable
  profile::TIniDocument document_;
};
