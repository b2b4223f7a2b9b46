#include "graphics/device/dg_log.h"

#include <cstdarg>
#include <cstdio>
#include <system_error>

#include "platform/base/debug_log.h"
#include "platform/base/fatal.h"
#include "platform/codepage/codepage.h"

namespace DGCarad9 {

bool HaltOnError = false;
bool DebugMessage = false;
bool DetailedLog = false;
std::int32_t LogDepth = 0;

namespace {

TDebugLog debugLog(kLogFileName, "#", " | ");

}  // namespace

void ApplyDebugOption(TDGDebugOptions options) {
  HaltOnError = options.Contains(dgoHaltOnError);
  DebugMessage = options.Contains(dgoDebugMessage);
  DetailedLog = options.Contains(dgoDetailedLog);
}

void SetLogFolder(const std::filesystem::path& folder) { debugLog.SetFolder(folder); }

std::filesystem::path LogFilePath() { return debugLog.FilePath(); }

std::int32_t LogLineCount() { return debugLog.LineCount(); }

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(length));
  }
  va_end(args);
  return text;
}

void DebugLog(const std::string& utf8Message) {
  if (!DebugMessage) return;
  const std::string indent(static_cast<size_t>(LogDepth > 0 ? LogDepth : 0) * 2, ' ');
  if (!debugLog.Append(codepage::Utf8ToSjis(indent + utf8Message))) {
    throw EInOutError("ログファイル " + LogFilePath().string() + " に書き込めません");
  }
}

void DetailLog(const std::string& utf8Message) {
  if (DetailedLog) DebugLog(utf8Message);
}

HRESULT CheckResult(HRESULT code, const std::string& utf8Message) {
  if (code == 0) return 0;
  const std::string text = utf8Message + "(Error Code = " + ErrorName(code) + ")";
  DebugLog(text);
  if (HaltOnError) fatal::Halt(text);
  return code;
}

std::string NamedMessage(std::string_view source, std::string_view text) {
  if (source.empty()) return std::string(text);
  return std::string(source) + ": " + std::string(text);
}

std::string ErrorName(HRESULT code) {
  // The names as the log has always written them, some with a trailing space.
  static constexpr struct {
    HRESULT Code;
    const char* Name;
  } kNames[] = {
      {D3D_OK, "D3D_OK"},
      {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY"},
      {D3DERR_WRONGTEXTUREFORMAT, "D3DERR_WRONGTEXTUREFORMAT"},
      {D3DERR_UNSUPPORTEDCOLOROPERATION, "D3DERR_UNSUPPORTEDCOLOROPERATION "},
      {D3DERR_UNSUPPORTEDCOLORARG, "D3DERR_UNSUPPORTEDCOLORARG "},
      {D3DERR_UNSUPPORTEDALPHAOPERATION, "D3DERR_UNSUPPORTEDALPHAOPERATION "},
      {D3DERR_UNSUPPORTEDALPHAARG, "D3DERR_UNSUPPORTEDALPHAARG "},
      {D3DERR_TOOMANYOPERATIONS, "D3DERR_TOOMANYOPERATIONS "},
      {D3DERR_CONFLICTINGTEXTUREFILTER, "D3DERR_CONFLICTINGTEXTUREFILTER"},
      {D3DERR_UNSUPPORTEDFACTORVALUE, "D3DERR_UNSUPPORTEDFACTORVALUE"},
      {D3DERR_CONFLICTINGRENDERSTATE, "D3DERR_CONFLICTINGRENDERSTATE"},
      {D3DERR_UNSUPPORTEDTEXTUREFILTER, "D3DERR_UNSUPPORTEDTEXTUREFILTER"},
      {D3DERR_CONFLICTINGTEXTUREPALETTE, "D3DERR_CONFLICTINGTEXTUREPALETTE "},
      {D3DERR_DRIVERINTERNALERROR, "D3DERR_DRIVERINTERNALERROR "},
      {D3DERR_NOTFOUND, "D3DERR_NOTFOUND"},
      {D3DERR_MOREDATA, "D3DERR_MOREDATA"},
      {D3DERR_DEVICELOST, "D3DERR_DEVICELOST"},
      {D3DERR_DEVICENOTRESET, "D3DERR_DEVICENOTRESET"},
      {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE"},
      {D3DERR_INVALIDDEVICE, "D3DERR_INVALIDDEVICE "},
      {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL "},
      {D3DERR_DRIVERINVALIDCALL, "D3DERR_DRIVERINVALIDCALL "},
  };
  for (const auto& known : kNames) {
    if (known.Code == code) return known.Name;
  }
  return Format("UNKNOWN ERROR ... $%.8X", static_cast<unsigned>(code));
}

}  // namespace DGCarad9
