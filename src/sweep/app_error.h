// The one exception type: it carries the message text the user sees in the error display.
#pragma once

#include <stdexcept>
#include <string>

class AppError : public std::runtime_error {
 public:
  explicit AppError(const std::string& message) : std::runtime_error(message) {}
};
