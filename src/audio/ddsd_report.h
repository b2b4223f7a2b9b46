// The sound library's unit-wide error reporting: the flags copied from the component's
// DebugOption, the numbered log "DDSD_DebugLog.txt", and the result check.
//
// Messages are UTF-8 in the source; the log is written in the ANSI code page (Shift-JIS),
// one line per report, CR LF.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "platform/base/exception.h"
#include "platform/dsound/dsound.h"

// TDDSDDebugOption: the members of TDDSD::DebugOption.
enum TDDSDDebugOption : std::uint8_t {
  dsoHaltOnError = 0,
  dsoDebugMessage = 1,
  dsoExceptOnError = 2,
};

// A set of TDDSDDebugOption.
class TDDSDDebugOptions {
 public:
  constexpr TDDSDDebugOptions() = default;
  constexpr TDDSDDebugOptions(std::initializer_list<TDDSDDebugOption> options) {
    for (TDDSDDebugOption option : options) bits_ |= static_cast<std::uint8_t>(1u << option);
  }
  constexpr bool Contains(TDDSDDebugOption option) const { return (bits_ >> option) & 1u; }
  constexpr std::uint8_t Bits() const { return bits_; }
  constexpr bool operator==(const TDDSDDebugOptions&) const = default;

 private:
  std::uint8_t bits_ = 0;
};

// The library's error, raised by a report while dsoExceptOnError is set.
class EDDSD : public Exception {
 public:
  using Exception::Exception;
};

namespace ddsd {

// Unit-wide flags, set from the last DebugOption applied. Main thread only.
extern bool HaltOnError;
extern bool DebugMessage;
extern bool ExceptOnError;

void ApplyDebugOption(TDDSDDebugOptions options);

inline constexpr const char* kLogFileName = "DDSD_DebugLog.txt";

// The log's folder: the executable's unless set. Setting it restarts the numbering, so the
// next report starts the file afresh.
void SetLogFolder(const std::filesystem::path& folder);
std::filesystem::path LogFilePath();

// With DebugMessage: writes "debug#%.5d ... <message>" (the first report of a run empties the
// file). Then, with ExceptOnError, raises EDDSD carrying the message. A log that cannot be
// written is mentioned once on standard error and otherwise skipped.
void Report(const std::string& utf8Message);

// Result 0 returns true at once. Anything else reports message + "(Error Code(<hex>))" (the
// 32-bit code in upper-case hexadecimal) and, with HaltOnError, ends the process through
// fatal::Halt with that text; otherwise false is returned.
bool Check(HRESULT result, const std::string& utf8Message);

// Reports (and with HaltOnError ends the process) for a failure that has no result code.
void Fail(const std::string& utf8Message);

}  // namespace ddsd
