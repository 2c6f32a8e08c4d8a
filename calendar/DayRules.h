#pragma once
// The day rules of a calendar: which days are holidays or special days, and what they are
// called. Built from two line lists (rule syntax in DayListItem.h) plus the built-in rules that
// the line syntax cannot say: the equinox days (AutoEquinox), the substitute holiday
// (AutoFurikae) and the dates from which the holiday law applies them (THolidaySwitches).
#include <climits>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/LineList.h"
#include "calendar/DayIndex.h"
#include "calendar/DayItemCollection.h"
#include "calendar/DayListItem.h"
#include "calendar/Julius.h"
#include "calendar/Recurrence.h"
#include "calendar/SeriesDays.h"

namespace moriva {

enum TDayStateFlag : uint8_t { dsSunday, dsSaturday, dsHoliday, dsFurikae, dsSpecialDay };

// A set of day-state flags.
class TDayState {
 public:
  constexpr TDayState() = default;
  constexpr TDayState(std::initializer_list<TDayStateFlag> flags) {
    for (TDayStateFlag f : flags) Add(f);
  }
  constexpr bool Has(TDayStateFlag f) const { return (bits_ >> f) & 1u; }
  constexpr void Add(TDayStateFlag f) { bits_ = static_cast<uint8_t>(bits_ | (1u << f)); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr bool operator==(const TDayState&) const = default;

 private:
  uint8_t bits_ = 0;
};

// Switch days (day numbers) for the rules a holiday law adds to its rule lines. Each rule
// holds on the days from its switch day on; the defaults keep the plain built-in rules.
inline constexpr JuliusDay kAlways = INT32_MIN;
inline constexpr JuliusDay kNever = INT32_MAX;
struct THolidaySwitches {
  // The equinox days are holidays from this day on (with AutoEquinox).
  JuliusDay EquinoxFrom = kAlways;
  // A Sunday holiday on or after this day has a substitute (with AutoFurikae): the Monday.
  JuliusDay FurikaeFrom = kAlways;
  // For a Sunday holiday on or after this day the substitute is the first following day that
  // is no holiday, not only the Monday.
  JuliusDay LaterFurikaeFrom = kNever;
  // From this day on a day that is neither Sunday, holiday nor substitute holiday, between two
  // holidays, is "国民の休日" (dsHoliday).
  JuliusDay BetweenHolidaysFrom = kNever;
  bool operator==(const THolidaySwitches&) const = default;
};

// In these years the equinox formulas always give a day in March and in September.
inline constexpr int32_t kEquinoxMonthsFrom = 1600;
inline constexpr int32_t kEquinoxMonthsTo = 2999;

// One name of a day, and whether a holiday gives it (a listed holiday, an equinox day, the
// substitute or the between-holidays day) rather than a special-day line.
struct TDayName {
  std::string Text;
  bool Holiday = false;
  bool Repeating = false;  // the item text of a series' occurrence
  bool operator==(const TDayName&) const = default;
};

// Also the holiday test of the series that skip holidays (祝日を除く): a day is a holiday when its
// state has dsHoliday or dsFurikae by the holiday lines and switches alone.
class TDayRules : public THolidayTest {
 public:
  // Rebuilds both item collections and the series (series lines of the special-day list,
  // calendar/SeriesLine.h) from the lists. Never throws: a line whose numeric field is not a
  // decimal integer, or a series line that cannot be read, gives no item, the other lines are
  // still read, and the faulty lines are returned (holiday lines first, each list in its
  // order) for the caller to report. The rules keep a copy of the special-day list.
  std::vector<std::string> Build(const TLineList& holidayList, const TLineList& specialDayList);
  // The same over a special-day list the caller keeps alive as long as the rules (they read
  // the names of its items from it when asked) and whose changes it passes to
  // FollowSpecialDays: the owner of a long schedule, which must not be copied or read again
  // for every edit.
  std::vector<std::string> BuildOn(const TLineList& holidayList, const TLineList& specialDayList);
  // Follows the change the special-day list given to BuildOn is telling (its Changes()): only
  // the lines it added are read. The faulty lines of both lists, as Build returns them.
  std::vector<std::string> FollowSpecialDays(const TLineList& specialDayList);

  // The vernal and autumnal equinox days are holidays ("春分の日", "秋分の日").
  bool AutoEquinox = true;
  // A Monday that is no holiday itself, after a Sunday holiday, is "振替休日".
  bool AutoFurikae = true;
  THolidaySwitches Switches;

  // dsSpecialDay when a special-day item matches or a series falls on the day, dsHoliday when a
  // holiday item matches, it is an equinox day or a day between holidays, dsSunday/dsSaturday by
  // the weekday, dsFurikae as above. Throws EJuliusError for 1582/10/5-14.
  TDayState DayState(int32_t y, uint8_t m, uint8_t d) const;

  // The names of the day, joined as comma text (CP932): every matching special-day item's name
  // and the text of every series that falls on the day (in list order), then every matching holiday
  // item's name (each in list order), then the equinox name, then "振替休日", then "国民の休日".
  // Empty when the day has no name. Throws EJuliusError for 1582/10/5-14.
  std::string DayText(int32_t y, uint8_t m, uint8_t d) const;
  // The same names one by one, each with where it comes from.
  std::vector<TDayName> DayNames(int32_t y, uint8_t m, uint8_t d) const;

  const std::vector<TDayListItem>& HolidayItems() const { return holidays_.Items(); }
  // The rule items of the special-day list, read from its lines.
  std::vector<TDayListItem> SpecialDayItems() const { return specials_.Items(); }
  // The special-day list by day: its items found by date (the agenda and reminders use it).
  const TDayIndex& SpecialDays() const { return specials_; }
  // The readable series of the special-day list, with their line indices.
  const TSeriesDays& Series() const;

  // Whether the holiday lines and switches make z a holiday (dsHoliday or dsFurikae); worked
  // out 32 days at a time and kept until the lines or the switches change.
  bool IsHoliday(JuliusDay z) const override;

 private:
  // The day state, and when `names` is given the day's names in day-text order (names that
  // had to be unquoted kept in `store`) and, in `specials`, how many of them come from the
  // special-day list.
  TDayState Evaluate(int32_t y, uint8_t m, uint8_t d, std::vector<std::string_view>* names,
                     std::deque<std::string>* store = nullptr, size_t* specials = nullptr) const;
  // Whether a holiday item or the equinox rule makes the day a holiday (the substitute and the
  // between-holidays rules look at these days only).
  struct TDay {
    JuliusDay z;
    int32_t y;
    uint8_t m, d;
    TDay Step(int delta) const;  // the day before (-1) or after (+1)
  };
  bool ListedHoliday(const TDay& t) const;
  bool EquinoxHoliday(JuliusDay z, int32_t y, uint8_t m, uint8_t d, bool& vernal) const;
  bool IsFurikae(const TDay& t) const;

  // The holiday and weekday flags of a day (by the holiday lines and switches alone), and
  // when `names` is given its holiday names in day-text order.
  TDayState HolidayState(const TDay& t, std::vector<std::string_view>* names) const;
  // The positions of the series that fall on z.
  std::span<const uint32_t> SeriesOn(JuliusDay z) const;
  // What the kept holiday years and series blocks were worked out under; when the public
  // switches differ, they are forgotten.
  struct THolidayKey {
    bool AutoEquinox = true;
    bool AutoFurikae = true;
    THolidaySwitches Switches;
    bool operator==(const THolidayKey&) const = default;
  };
  void CheckHolidayKey() const;

  TDayItemCollection holidays_;
  std::vector<std::string> holiday_faulty_;  // the faulty holiday lines of the last build
  TDayIndex specials_;
  // The copy of the special-day list that Build keeps (shared by copies of the rules).
  std::shared_ptr<const TLineList> own_specials_;
  mutable THolidayKey holiday_key_;
  TLineList holiday_lines_;  // the holiday lines of the last build
  // Holidays worked out 32 days at a time (days Key*32 .. Key*32+31, a bit each), in a table
  // indexed by Key.
  struct THolidaySpan {
    int32_t Key = INT32_MIN;
    uint32_t Days = 0;
  };
  static constexpr size_t kHolidaySpans = 1024;  // 90 years
  mutable std::vector<THolidaySpan> holiday_spans_;
  // The equinox days of the year last asked about (month and day, as the formulas give them).
  struct TEquinoxYear {
    bool Known = false;
    int32_t Year = 0;
    uint8_t VernalMonth = 0, VernalDay = 0, AutumnalMonth = 0, AutumnalDay = 0;
  };
  mutable TEquinoxYear equinox_;
};

}  // namespace moriva
