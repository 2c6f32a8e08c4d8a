#pragma once
// Reading a whole iCalendar document into libical's components, naming the line to blame
// when the document is refused. The import (ICalendarImport.h) starts here.
#include <cstddef>
#include <string>
#include <string_view>

#include "base/Exception.h"
#include "formats/ICalendar.h"

namespace moriva {

// A file that is not an iCalendar document; the text names the line and says why.
class EICalendarError : public Exception {
 public:
  EICalendarError(const std::string& message, size_t line) : Exception(message), Line(line) {}
  size_t Line;
};

// Parses a whole document with libical. Returns the VCALENDAR (an XROOT holding several when
// the file has more than one); throws EICalendarError for anything else.
TICalComponent ParseICalendar(std::string_view text);

}  // namespace moriva
