#pragma once
// What the iCalendar export and import share: owning handles for libical's objects and the
// user's time zone. Schedule items are wall-clock times; they are written with the TZID of
// the user's zone and read back into it.
#include <libical/ical.h>

#include <ctime>
#include <memory>
#include <string>
#include <string_view>

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

 private:
  icaltimezone* owned_ = nullptr;
  icaltimezone* zone_ = nullptr;
};

// A C++ string from text libical hands over (null gives "").
inline std::string ICalText(const char* s) {
  return s ? std::string(s) : std::string();
}

// Serialises a component with the library's folding and CR LF line ends.
std::string ICalString(icalcomponent* c);

}  // namespace moriva
