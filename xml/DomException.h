#pragma once
// The error the document tree raises: a numeric code, as DOM callers know them, and the
// program's message for that code.
#include <string>

#include "base/Exception.h"

namespace moriva {

enum TDomExceptionCode : int {
  INDEX_SIZE_ERR = 1,
  DOMSTRING_SIZE_ERR = 2,
  HIERARCHY_REQUEST_ERR = 3,
  WRONG_DOCUMENT_ERR = 4,
  INVALID_CHARACTER_ERR = 5,
  NO_DATA_ALLOWED_ERR = 6,
  NO_MODIFICATION_ALLOWED_ERR = 7,
  NOT_FOUND_ERR = 8,
  NOT_SUPPORTED_ERR = 9,
  INUSE_ATTRIBUTE_ERR = 10,
  INVALID_STATE_ERR = 11,
  SYNTAX_ERR = 12,
  INVALID_MODIFICATION_ERR = 13,
  NAMESPACE_ERR = 14,
  INVALID_ACCESS_ERR = 15,
};

class EDomException : public Exception {
 public:
  explicit EDomException(int code) : Exception(DomExceptionMessage(code)), code_(code) {}
  int Code() const { return code_; }

  // The message shown for `code` (1-15); an unknown code gives a text naming the number.
  static std::string DomExceptionMessage(int code);

 private:
  int code_;
};

}  // namespace moriva
