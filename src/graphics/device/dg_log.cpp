#include "graphics/device/dg_log.h"

#include <cstdarg>
#include <cstdio>
#include <system_error>

#include "platform/base/fatal.h"
#include "platform/base/files.h"
#include "platform/codepage/codepage.h"

namespace DGCarad9 {

bool HaltOnError = false;
bool DebugMessage = false;
bool DetailedLog = false;
std::int32_t LogDepth = 0;
std::int32_t LogLineCount = 0;

namespace {

std::filesystem::path logFolder;  // empty: the executable's folder

}  // namespace

void ApplyDebugOption(TDGDebugOptions options) {
  HaltOnError = options.Contains(dgoHaltOnError);
  DebugMessage = options.Contains(dgoDebugMessage);
  DetailedLog = options.Contains(dgoDetailedLog);
}

void SetLogFolder(const std::filesystem::path& folder) {
  logFolder = folder;
  LogLineCount = 0;
}

std::filesystem::path LogFilePath() { return files::LogFilePath(logFolder, kLogFileName); }

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
  const std::filesystem::path path = LogFilePath();
  const std::string indent(static_cast<size_t>(LogDepth > 0 ? LogDepth : 0) * 2, ' ');
  const std::string line =
      Format("#%.5d | ", LogLineCount + 1) + codepage::Utf8ToSjis(indent + utf8Message);
  if (!files::AppendLogLine(path, line, LogLineCount == 0)) {
    throw EInOutError("ログファイル " + path.string() + " に書き込めません");
  }
  ++LogLineCount;
}

void DetailLog(const std::string& utf8Message) {
  if (DetailedLog) DebugLog(utf8Message);
}

HRESULT CheckResult(HRESULT code, const std::string& utf8Message) {
  if (code == 0) return 0;
  const std::string codeText = "(Error Code = " + ErrorName(code) + ")";
  DebugLog(utf8Message + codeText);
  if (HaltOnError) fatal::Halt(utf8Message, codeText);
  return code;
}

std::string NamedMessage(std::string_view source, std::string_view text) {
  if (source.empty()) return std::string(text);
  return std::string(source) + ": " + std::string(text);
}

std::string ErrorName(HRESULT code) {
  switch (static_cast<std::uint32_t>(code)) {
    case 0x00000000:
      return "D3D_OK";
    case 0x8876017C:
      return "D3DERR_OUTOFVIDEOMEMORY";
    case 0x88760818:
      return "D3DERR_WRONGTEXTUREFORMAT";
    case 0x88760819:
      return "D3DERR_UNSUPPORTEDCOLOROPERATION ";
    case 0x8876081A:
      return "D3DERR_UNSUPPORTEDCOLORARG ";
    case 0x8876081B:
      return "D3DERR_UNSUPPORTEDALPHAOPERATION ";
    case 0x8876081C:
      return "D3DERR_UNSUPPORTEDALPHAARG ";
    case 0x8876081D:
      return "D3DERR_TOOMANYOPERATIONS ";
    case 0x8876081E:
      return "D3DERR_CONFLICTINGTEXTUREFILTER";
    case 0x8876081F:
      return "D3DERR_UNSUPPORTEDFACTORVALUE";
    case 0x88760821:
      return "D3DERR_CONFLICTINGRENDERSTATE";
    case 0x88760822:
      return "D3DERR_UNSUPPORTEDTEXTUREFILTER";
    case 0x88760826:
      return "D3DERR_CONFLICTINGTEXTUREPALETTE ";
    case 0x88760827:
      return "D3DERR_DRIVERINTERNALERROR ";
    case 0x88760866:
      return "D3DERR_NOTFOUND";
    case 0x88760867:
      return "D3DERR_MOREDATA";
    case 0x88760868:
      return "D3DERR_DEVICELOST";
    case 0x88760869:
      return "D3DERR_DEVICENOTRESET";
    case 0x8876086A:
      return "D3DERR_NOTAVAILABLE";
    case 0x8876086B:
      return "D3DERR_INVALIDDEVICE ";
    case 0x8876086C:
      return "D3DERR_INVALIDCALL ";
    case 0x8876086D:
      return "D3DERR_DRIVERINVALIDCALL ";
    default:
      return Format("UNKNOWN ERROR ... $%.8X", static_cast<unsigned>(code));
  }
}

std::string FormatName(D3DFORMAT format) {
  switch (static_cast<std::uint32_t>(format)) {
    case 20:
      return "R8G8B8";
    case 21:
      return "A8R8G8B8";
    case 22:
      return "X8R8G8B8";
    case 23:
      return "R5G6B5";
    case 24:
      return "X1R5G5B5";
    case 25:
      return "A1R5G5B5";
    case 26:
      return "A4R4G4B4";
    case 27:
      return "R3G3B2";
    case 28:
      return "A8";
    case 29:
      return "A8R3G3B2";
    case 30:
      return "X4R4G4B4";
    case 40:
      return "A8P8";
    case 41:
      return "P8";
    case 50:
      return "L8";
    case 51:
      return "A8L8";
    case 52:
      return "A4L4";
    case 60:
      return "V8U8";
    case 61:
      return "L6V5U5";
    case 62:
      return "X8L8V8U8";
    case 63:
      return "Q8W8V8U8";
    case 64:
      return "V16U16";
    case 70:
      return "D16_LOCKABLE";
    case 71:
      return "D32";
    case 73:
      return "D15S1";
    case 75:
      return "D24S8";
    case 77:
      return "D24X8";
    case 79:
      return "D24X4S4";
    case 80:
      return "D16";
    case 100:
      return "VERTEXDATA";
    case 101:
      return "INDEX16";
    case 102:
      return "INDEX32";
    case MAKEFOURCC('U', 'Y', 'V', 'Y'):
      return "UYVY";
    case MAKEFOURCC('Y', 'U', 'Y', '2'):
      return "YUY2";
    case MAKEFOURCC('D', 'X', 'T', '1'):
      return "DXT1";
    case MAKEFOURCC('D', 'X', 'T', '2'):
      return "DXT2";
    case MAKEFOURCC('D', 'X', 'T', '3'):
      return "DXT3";
    case MAKEFOURCC('D', 'X', 'T', '4'):
      return "DXT4";
    case MAKEFOURCC('D', 'X', 'T', '5'):
      return "DXT5";
    default:
      return "UNKNOWN";
  }
}

}  // namespace DGCarad9
