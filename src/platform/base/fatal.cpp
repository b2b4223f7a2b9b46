#include "platform/base/fatal.h"

#include <cstdio>
#include <cstdlib>

namespace fatal {
namespace {
ReportHook installedHook = nullptr;
}  // namespace

void SetReportHook(ReportHook hook) { installedHook = hook; }

void Halt(const std::string& utf8Message, const std::string& detail) {
  std::fprintf(stderr, "Nightwisp: %s%s\n", utf8Message.c_str(), detail.c_str());
  std::fflush(stderr);
  if (installedHook != nullptr) {
    ReportHook hook = installedHook;
    installedHook = nullptr;  // a failure inside the hook must not recurse
    hook(utf8Message);
  }
  std::exit(1);
}

std::string BoxText(const std::string& utf8Message) {
  return "Nightwisp を入れ直してください。\n"
         "ゲームのデータ(Data フォルダー)が壊れているか足りないため、続けられません。"
         "終了します。\n\n詳しい内容: " +
         utf8Message;
}

}  // namespace fatal
