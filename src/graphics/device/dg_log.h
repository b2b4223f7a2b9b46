// The device library's unit-wide debug state and helpers (unit DGCarad9): the flags copied from
// the last DebugOption set, the indented, numbered log "DGCarad_DebugLog.txt", result checks and
// the names of result codes and formats used in log lines.
//
// Messages are UTF-8 in the source; the log file is written in the ANSI code page (Shift-JIS).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "graphics/device/pixel_format.h"
#include "platform/base/exception.h"
#include "platform/d3d9/d3d9.h"

// TDGDebugOption: bit 0, 1 and 2 of TDGCarad::DebugOption.
enum TDGDebugOption : std::uint8_t { dgoHaltOnError = 0, dgoDebugMessage = 1, dgoDetailedLog = 2 };

// A set of TDGDebugOption held in one byte, as the component stores it.
class TDGDebugOptions {
 public:
  constexpr TDGDebugOptions() = default;
  constexpr TDGDebugOptions(std::initializer_list<TDGDebugOption> options) {
    for (TDGDebugOption option : options) bits_ |= static_cast<std::uint8_t>(1u << option);
  }
  static constexpr TDGDebugOptions FromBits(std::uint8_t bits) {
    TDGDebugOptions options;
    options.bits_ = bits;
    return options;
  }
  constexpr bool Contains(TDGDebugOption option) const { return (bits_ >> option) & 1u; }
  constexpr std::uint8_t Bits() const { return bits_; }
  constexpr bool operator==(const TDGDebugOptions&) const = default;

 private:
  std::uint8_t bits_ = 0;
};

namespace DGCarad9 {

// A log file that cannot be opened or written.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

// Unit-wide flags and counters, shared by every TDGCarad and by the texture, scene and text code.
// Main thread only.
extern bool HaltOnError;
extern bool DebugMessage;
extern bool DetailedLog;
extern std::int32_t LogDepth;

// Copies bit 0, 1 and 2 of options into HaltOnError, DebugMessage and DetailedLog.
void ApplyDebugOption(TDGDebugOptions options);

inline constexpr const char* kLogFileName = "DGCarad_DebugLog.txt";

// The folder of the log file: the executable's folder unless set. Setting it restarts the line
// count, so the next line starts the file afresh.
void SetLogFolder(const std::filesystem::path& folder);
std::filesystem::path LogFilePath();
// Lines written since start-up (or since SetLogFolder).
std::int32_t LogLineCount();

// Appends "#%.5d | <LogDepth x two spaces><message>" and CR LF when DebugMessage is set; the
// first line of a run truncates the file. Throws EInOutError when the file cannot be written.
void DebugLog(const std::string& utf8Message);
// DebugLog only when DetailedLog is set as well. Every progress message goes through here.
void DetailLog(const std::string& utf8Message);

// Runs a clean-up step of a destructor. When the log cannot be written during it, the step runs
// again with the debug log off, so everything is still released; a step must therefore clear
// what it has done as it goes.
template <class Step>
void FinishWithoutLog(Step step) {
  try {
    step();
  } catch (const EInOutError&) {
    DebugMessage = false;
    step();
  }
}

// Raises LogDepth for its lifetime: the log lines of a phase are indented one step.
class TLogIndent {
 public:
  TLogIndent() { ++LogDepth; }
  ~TLogIndent() { --LogDepth; }
  TLogIndent(const TLogIndent&) = delete;
  TLogIndent& operator=(const TLogIndent&) = delete;
};

// Code 0 passes through. Otherwise logs message + "(Error Code = <ErrorName>)"; with HaltOnError
// the process ends through fatal::Halt (stderr, the window's report hook, exit status 1),
// otherwise the code is returned.
HRESULT CheckResult(HRESULT code, const std::string& utf8Message);

// A failure's message led by the name of the file it concerns ("<source>: <text>"); the text
// alone when there is no name.
std::string NamedMessage(std::string_view source, std::string_view text);

// "D3DERR_DEVICELOST" and the other names of the result-code table (some end in one space, as
// written there); "UNKNOWN ERROR ... $XXXXXXXX" for any other code.
std::string ErrorName(HRESULT code);

// printf-style formatting into a std::string, for the log lines that carry numbers.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace DGCarad9
