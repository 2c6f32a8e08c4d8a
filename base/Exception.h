#pragma once
// The program's exception family. Every error the core raises carries the exact text the
// user is shown; texts are UTF-8 (converted from CP932 data where they quote it).
#include <stdexcept>
#include <string>

namespace moriva {

// The general exception class: a message text and nothing else.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// A text that should hold a number (or another value) and does not.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A file that cannot be read or written.
class EFileError : public Exception {
 public:
  using Exception::Exception;
};

// A list index outside the list.
class EListError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace moriva
