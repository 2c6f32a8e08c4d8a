#pragma once
// What the iCalendar export and import share: owning handles for libical's objects and the
// user's time zone. Schedule items are wall-clock times; they are written with the TZID of
// the user's zone and read back into it.
#include <libical/ical.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace moriva {

struct TICalComponentFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using TICalComponent = std::unique_ptr<icalcomponent, TICalComponentFree>;

// The zone's name from the C library's point of view: TZ when it names a zone, else the zone
// /etc/localtime links to, else /etc/timezone; "UTC" when none of them tells.
std::string LocalTimeZoneName();

// A time zone by its name ("Asia/Tokyo"), with the VTIMEZONE that describes it under that
// very name as TZID, so that readers which look the TZID up in their own zone database find
// it too. UTC, and a name the zone database does not know, are UTC without a VTIMEZONE.
class TICalZone {
 public:
  explicit TICalZone(std::string_view name);
  ~TICalZone();
  TICalZone(const TICalZone&) = delete;
  TICalZone& operator=(const TICalZone&) = delete;

  // The zone for libical's conversions; never null.
  icaltimezone* Zone() const { return zone_; }
  // A copy of the VTIMEZONE (null for UTC), for a calendar that uses the zone.
  TICalComponent VTimeZone() const;
  // The zone's name as given ("Asia/Tokyo"), or "UTC" when it stands for UTC.
  const std::string& Name() const { return name_; }

 private:
  icaltimezone* owned_ = nullptr;
  icaltimezone* zone_ = nullptr;
  std::string name_ = "UTC";
};

// A C++ string from text libical hands over (null gives "").
inline std::string ICalText(const char* s) {
  return s ? std::string(s) : std::string();
}

// The hour and minute of an item's time, "H:M" or "H:M:S" with a real hour and minute.
std::optional<std::pair<int, int>> ParseItemTime(std::string_view time);

// A DATE value.
icaltimetype DateValue(int32_t y, int m, int d);

// A DISPLAY alarm at the start, the subject (UTF-8) as its description.
void AddAlarm(icalcomponent* ev, const std::string& subject);

// Serialises a component with the library's folding and CR LF line ends.
std::string ICalString(icalcomponent* c);

}  // namespace moriva
