// Ending the process for a library failure the design treats as fatal (the graphics and sound
// libraries' halt-on-error options). Never a silent exit 0: the message goes to standard
// error, to the hook the window installs (a message box), and the status is non-zero.
#pragma once

#include <string>

namespace fatal {

using ReportHook = void (*)(const std::string& utf8Message);

// The window installs a hook that shows the message before the process ends; nullptr removes it.
void SetReportHook(ReportHook hook);

// Writes "Nightwisp: <message>" to stderr, calls the hook (if any), and exits with status 1.
[[noreturn]] void Halt(const std::string& utf8Message);

}  // namespace fatal
