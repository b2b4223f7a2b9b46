// Translates the design's file-dialog filters ("description|patterns|description|patterns")
// into Qt's syntax ("description (patterns);;description (patterns)").
#pragma once

#include <string>

namespace app {

std::string QtFileFilter(const std::string& windowsFilter);

}  // namespace app
