#include "platform/base/fatal.h"

#include <cstdio>
#include <cstdlib>

namespace fatal {
namespace {
ReportHook installedHook = nullptr;
}  // namespace

void SetReportHook(ReportHook hook) { installedHook = hook; }

void Halt(const std::string& utf8Message) {
  std::fprintf(stderr, "Nightwisp: %s\n", utf8Message.c_str());
  std::fflush(stderr);
  if (installedHook != nullptr) {
    ReportHook hook = installedHook;
    installedHook = nullptr;  // a failure inside the hook must not recurse
    hook(utf8Message);
  }
  std::exit(1);
}

}  // namespace fatal
