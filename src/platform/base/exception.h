// The root of every exception the system raises (EQDAError, EDDSD, ...).
// Messages are UTF-8 (they reach the terminal, logs and message boxes through UTF-8).
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};
