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

// One field of a comma text as it stands in the text: Raw is what lies between the quotes of a
// quoted field (a doubled quote still doubled) or the whole unquoted field.
struct TCommaField {
  std::string_view Raw;
  bool Doubled = false;  // Raw holds a doubled quote, so the field's text differs from it

  // The field's text; a view of Raw unless quotes must be undoubled, then `buffer` holds it.
  std::string_view Text(std::string& buffer) const;
  std::string ToString() const;
};

// Reads the fields of a comma text one by one, in place, by the rule of SplitCommaText (which
// is built on it): a reader of a few fields of a long list need not copy every field.
class TCommaFieldReader {
 public:
  explicit TCommaFieldReader(std::string_view text);
  // The next field; false when there is none left.
  bool Next(TCommaField& field);

 private:
  std::string_view text_;
  size_t pos_ = 0;
  bool final_empty_ = false;  // a comma ended the text: one empty field is still to come
};

// Joins by single commas. A field containing a double quote, a comma or a code <= 32 is
// quoted with inner quotes doubled. Exactly one empty field gives "\"\""; no fields give "".
std::string JoinCommaText(const std::vector<std::string>& fields);
// The same for fields held elsewhere (no copies of them are made).
std::string JoinCommaTextViews(const std::vector<std::string_view>& fields);

// Encloses `s` in double quotes, doubling every double quote inside.
std::string QuotedStr(std::string_view s);

}  // namespace moriva
