// The archive unit's exception: a plain exception carrying a (UTF-8) message.
#pragma once

#include <string>

#include "platform/base/exception.h"

class EQDAError : public Exception {
 public:
  explicit EQDAError(const std::string& message) : Exception(message) {}
};
