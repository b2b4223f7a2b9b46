// Ending the process for a library failure the design treats as fatal (the graphics and sound
// libraries' halt-on-error options). Never a silent exit 0: the message goes to standard
// error, to the hook the window installs (a message box), and the status is non-zero.
#pragma once

#include <string>

namespace fatal {

using ReportHook = void (*)(const std::string& utf8Message);

// The window installs a hook that shows the message before the process ends; nullptr removes it.
void SetReportHook(ReportHook hook);

// Writes "Nightwisp: <message><detail>" to stderr, calls the hook (if any) with the message
// alone, and exits with status 1. The detail (a library's error code) is for the log: it tells
// a player nothing.
[[noreturn]] void Halt(const std::string& utf8Message, const std::string& detail = {});

// The text of the box for a fatal message: what the player can do first (reinstall the
// game's data), then what failed.
std::string BoxText(const std::string& utf8Message);

}  // namespace fatal
