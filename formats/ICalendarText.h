#pragma once
// iCalendar content lines written straight as text, byte for byte as libical writes the same
// property: the value escaped as its kind wants, the line folded where libical folds it (before
// 75 bytes, after the last ";", ":" or blank that leaves a line of at most 74, else on a
// character boundary), CR LF at the end. The export writes its plain items this way: building
// libical's components for a million events and serialising them cost more than the rest of
// the export together.
#include <string>
#include <string_view>

namespace moriva {

enum class TICalValue {
  Text,       // TEXT: "\", ";", "," and line feeds escaped, carriage returns dropped
  Extension,  // an X- property's value: "\" and line feeds escaped, carriage returns dropped
  Verbatim,   // written as given (dates, durations, words)
};

// Appends "head:value" CR LF, folded. `head` is the name and any parameters.
void AppendICalLine(std::string& out, std::string_view head, std::string_view value,
                    TICalValue kind);

}  // namespace moriva
