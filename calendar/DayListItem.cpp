#include "calendar/DayListItem.h"

#include <array>

#include "base/CommaText.h"
#include "base/IntText.h"
#include "calendar/Julius.h"

namespace moriva {
namespace {

bool YearMatches(int32_t from, int32_t to, int32_t y) {
  const bool has_from = from != kNoYear;
  const bool has_to = to != kNoYear;
  if (has_from && has_to) return to >= from ? (y >= from && y <= to) : (y >= from || y <= to);
  if (has_from) return y >= from;
  if (has_to) return y <= to;
  return true;
}

// Reads the numeric fields of one line in place; the first field that is not a decimal
// integer marks the whole line faulty.
class TFieldReader {
 public:
  TFieldReader(const TCommaField* fields) : fields_(fields) {}

  template <class T>
  void Read(size_t index, T& target) {
    if (auto v = TryStrToInt(fields_[index].Text(buffer_)))
      target = static_cast<T>(*v);
    else
      faulty_ = true;
  }
  // Empty fields of 7-field lines set no condition.
  template <class T>
  void ReadOptional(size_t index, T& target) {
    if (!fields_[index].Raw.empty()) Read(index, target);
  }
  // The year of 5- and 6-field lines, applied as Mode says.
  void ReadYears(TDayListItem& item) {
    const std::string_view mode = fields_[1].Text(buffer_);
    if (mode == "0") {
      Read(0, item.FromYear);
      item.ToYear = item.FromYear;
    } else if (mode == "1") {
      Read(0, item.ToYear);
    } else if (mode == "2") {
      Read(0, item.FromYear);
    }
  }
  bool Faulty() const { return faulty_; }

 private:
  const TCommaField* fields_;
  std::string buffer_;
  bool faulty_ = false;
};

}  // namespace

bool TDayListItem::Match(int32_t y, uint8_t m, uint8_t d) const {
  if (!YearMatches(FromYear, ToYear, y)) return false;
  if (Month != 0 && m != Month) return false;
  if (Day != 0 && d != Day) return false;
  if (DayOfWeek == 0) return true;
  if (JuliusDayOfWeek(DateToJulius(y, m, d)) != DayOfWeek) return false;
  return WeekNo == 0 || (d - 1) / 7 + 1 == WeekNo;
}

TDayLineKind ParseDayListLine(std::string_view line, TDayListItem& item) {
  TCommaField name;
  const TDayLineKind kind = ParseDayListLine(line, item, &name);
  if (kind == TDayLineKind::Rule) item.Name = name.ToString();
  return kind;
}

TDayLineKind ParseDayListLine(std::string_view line, TDayListItem& item, TCommaField* name) {
  item = TDayListItem();
  // Eight fields are enough to know that a line has too many.
  std::array<TCommaField, 8> f;
  size_t count = 0;
  TCommaFieldReader reader(line);
  while (count < f.size() && reader.Next(f[count])) ++count;
  if (count < 3 || count > 7) return TDayLineKind::NoRule;
  TFieldReader r(f.data());
  switch (count) {
    case 3:
      r.Read(0, item.Month);
      r.Read(1, item.Day);
      break;
    case 4:
      r.Read(0, item.Month);
      r.Read(1, item.WeekNo);
      r.Read(2, item.DayOfWeek);
      break;
    case 5:
      r.Read(2, item.Month);
      r.Read(3, item.Day);
      r.ReadYears(item);
      break;
    case 6:
      r.Read(2, item.Month);
      r.Read(3, item.WeekNo);
      r.Read(4, item.DayOfWeek);
      r.ReadYears(item);
      break;
    case 7:
      r.ReadOptional(0, item.FromYear);
      r.ReadOptional(1, item.ToYear);
      r.ReadOptional(2, item.Month);
      r.ReadOptional(3, item.Day);
      r.ReadOptional(4, item.DayOfWeek);
      r.ReadOptional(5, item.WeekNo);
      break;
  }
  if (r.Faulty()) return TDayLineKind::Faulty;
  if (name) *name = f[count - 1];
  return TDayLineKind::Rule;
}

}  // namespace moriva
