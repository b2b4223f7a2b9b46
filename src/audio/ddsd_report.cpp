// Unit-wide flags, the numbered debug log and the result check of the sound library.
#include "audio/ddsd_report.h"

#include <cstdio>
#include <system_error>

#include "platform/base/debug_log.h"
#include "platform/base/fatal.h"
#include "platform/codepage/codepage.h"

namespace ddsd {

bool HaltOnError = true;
bool DebugMessage = false;
bool ExceptOnError = false;

namespace {

TDebugLog debugLog(kLogFileName, "debug#", " ... ");
bool warnedAboutLog = false;

void WriteLogLine(const std::string& utf8Message) {
  if (!debugLog.Append(codepage::Utf8ToSjis(utf8Message)) && !warnedAboutLog) {
    std::fprintf(stderr, "Nightwisp: cannot write %s\n", LogFilePath().string().c_str());
    warnedAboutLog = true;
  }
}

}  // namespace

void ApplyDebugOption(TDDSDDebugOptions options) {
  HaltOnError = options.Contains(dsoHaltOnError);
  DebugMessage = options.Contains(dsoDebugMessage);
  ExceptOnError = options.Contains(dsoExceptOnError);
}

void SetLogFolder(const std::filesystem::path& folder) {
  debugLog.SetFolder(folder);
  warnedAboutLog = false;
}

std::filesystem::path LogFilePath() { return debugLog.FilePath(); }

void Report(const std::string& utf8Message) {
  if (DebugMessage) {
    WriteLogLine(utf8Message);
  }
  if (ExceptOnError) {
    throw EDDSD(utf8Message);
  }
}

bool Check(HRESULT result, const std::string& utf8Message) {
  if (result == 0) {
    return true;
  }
  char code[32];
  std::snprintf(code, sizeof code, "(Error Code(%X))", static_cast<std::uint32_t>(result));
  Fail(utf8Message + code);
  return false;
}

void Fail(const std::string& utf8Message) {
  Report(utf8Message);
  if (HaltOnError) {
    fatal::Halt(utf8Message);
  }
}

}  // namespace ddsd
