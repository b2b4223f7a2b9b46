// Unit-wide flags, the numbered debug log and the result check of the sound library.
#include "audio/ddsd_report.h"

#include <cstdio>
#include <system_error>

#include "platform/base/fatal.h"
#include "platform/base/files.h"
#include "platform/codepage/codepage.h"

namespace ddsd {

bool HaltOnError = true;
bool DebugMessage = false;
bool ExceptOnError = false;

namespace {

std::filesystem::path logFolder;  // empty: the executable's folder
int reportNumber = 0;             // lines written since start-up (or since SetLogFolder)
bool warnedAboutLog = false;

void WriteLogLine(const std::string& utf8Message) {
  const std::filesystem::path path = LogFilePath();
  char number[32];
  std::snprintf(number, sizeof number, "debug#%.5d ... ", reportNumber + 1);
  if (!files::AppendLogLine(path, number + codepage::Utf8ToSjis(utf8Message), reportNumber == 0)) {
    if (!warnedAboutLog) {
      std::fprintf(stderr, "Nightwisp: cannot write %s\n", path.string().c_str());
      warnedAboutLog = true;
    }
    return;
  }
  ++reportNumber;
}

}  // namespace

void ApplyDebugOption(TDDSDDebugOptions options) {
  HaltOnError = options.Contains(dsoHaltOnError);
  DebugMessage = options.Contains(dsoDebugMessage);
  ExceptOnError = options.Contains(dsoExceptOnError);
}

void SetLogFolder(const std::filesystem::path& folder) {
  logFolder = folder;
  reportNumber = 0;
  warnedAboutLog = false;
}

std::filesystem::path LogFilePath() { return files::LogFilePath(logFolder, kLogFileName); }

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
  // The code goes to the logs, not to the player's box.
  Report(utf8Message + code);
  if (HaltOnError) fatal::Halt(utf8Message, code);
  return false;
}

void Fail(const std::string& utf8Message) {
  Report(utf8Message);
  if (HaltOnError) {
    fatal::Halt(utf8Message);
  }
}

}  // namespace ddsd
