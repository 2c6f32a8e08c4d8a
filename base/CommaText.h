#pragma once
// Comma text: the one rule by which the program splits a text into fields and joins fields
// into a text (schedule lines, rule lines, day texts, the old-calendar table, handset CSV).
// Texts are CP932; characters are stepped whole, so a trail byte never counts as a comma,
// quote or blank. A NUL byte ends the text.
#include <string>
#include <string_view>
#include <vector>

namespace moriva {

// Splits: blanks (codes 1-32) around fields are skipped; a field that begins with a double
// quote runs to the next undoubled double quote ("" inside stands for ") or, when the closing
// quote is missing, to the end; any other field ends at a comma or a blank. Two commas in a
// row give an empty field; a comma that is the very last character gives a final empty field.
std::vector<std::string> SplitCommaText(std::string_view text);

// Joins by single commas. A field containing a double quote, a comma or a code <= 32 is
// quoted with inner quotes doubled. Exactly one empty field gives "\"\""; no fields give "".
std::string JoinCommaText(const std::vector<std::string>& fields);
// The same for fields held elsewhere (no copies of them are made).
std::string JoinCommaTextViews(const std::vector<std::string_view>& fields);

// Encloses `s` in double quotes, doubling every double quote inside.
std::string QuotedStr(std::string_view s);

}  // namespace moriva
