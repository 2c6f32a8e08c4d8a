#include "formats/ICalendar.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace moriva {
namespace {

// The part of a path under ".../zoneinfo/", the zone's name.
std::string ZoneFromPath(const std::string& path) {
  constexpr std::string_view kDir = "zoneinfo/";
  size_t p = path.rfind(kDir);
  return p == std::string::npos ? std::string() : path.substr(p + kDir.size());
}

}  // namespace

std::string LocalTimeZoneName() {
  if (const char* tz = std::getenv("TZ"); tz && *tz) {
    std::string name(tz[0] == ':' ? tz + 1 : tz);
    if (name.front() == '/') name = ZoneFromPath(name);
    if (!name.empty() && icaltimezone_get_builtin_timezone(name.c_str())) return name;
  }
  std::error_code ec;
  std::filesystem::path link = std::filesystem::read_symlink("/etc/localtime", ec);
  if (!ec) {
    std::string name = ZoneFromPath(link.string());
    if (!name.empty()) return name;
  }
  std::ifstream file("/etc/timezone");
  std::string name;
  if (file >> name && !name.empty()) return name;
  return "UTC";
}

TICalZone::TICalZone(std::string_view name) {
  zone_ = icaltimezone_get_utc_timezone();
  const std::string location(name);
  icaltimezone* builtin = icaltimezone_get_builtin_timezone(location.c_str());
  if (!builtin || builtin == zone_) return;
  // The library names its zones with a prefix of its own; a copy of the description under the
  // plain name is what other programs recognise.
  icalcomponent* vtz = icalcomponent_new_clone(icaltimezone_get_component(builtin));
  if (!vtz) return;
  icalproperty* id = icalcomponent_get_first_property(vtz, ICAL_TZID_PROPERTY);
  if (id)
    icalproperty_set_tzid(id, location.c_str());
  else
    icalcomponent_add_property(vtz, icalproperty_new_tzid(location.c_str()));
  owned_ = icaltimezone_new();
  if (!icaltimezone_set_component(owned_, vtz)) {
    icalcomponent_free(vtz);
    icaltimezone_free(owned_, 1);
    owned_ = nullptr;
    return;
  }
  zone_ = owned_;
  name_ = location;
}

TICalZone::~TICalZone() {
  if (owned_) icaltimezone_free(owned_, 1);
}

TICalComponent TICalZone::VTimeZone() const {
  if (!owned_) return nullptr;
  return TICalComponent(icalcomponent_new_clone(icaltimezone_get_component(owned_)));
}

std::optional<std::pair<int, int>> ParseItemTime(std::string_view time) {
  int values[2] = {-1, -1};
  size_t start = 0;
  for (int& v : values) {
    size_t end = time.find(':', start);
    std::string_view piece = time.substr(start, end == std::string_view::npos ? end : end - start);
    if (piece.empty() || piece.size() > 2) return std::nullopt;
    v = 0;
    for (char c : piece) {
      if (c < '0' || c > '9') return std::nullopt;
      v = v * 10 + (c - '0');
    }
    if (end == std::string_view::npos) {
      if (&v == &values[0]) return std::nullopt;
      break;
    }
    start = end + 1;
  }
  if (values[0] > 23 || values[1] > 59) return std::nullopt;
  return std::pair{values[0], values[1]};
}

icaltimetype DateValue(int32_t y, int m, int d) {
  icaltimetype t = icaltime_null_date();
  t.year = y;
  t.month = m;
  t.day = d;
  return t;
}

void AddAlarm(icalcomponent* ev, const std::string& subject) {
  icalcomponent* alarm = icalcomponent_new_valarm();
  icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
  icaltriggertype trigger{};
  trigger.time = icaltime_null_time();
  trigger.duration = icaldurationtype_from_int(0);
  icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
  icalcomponent_add_property(alarm, icalproperty_new_description(subject.c_str()));
  icalcomponent_add_component(ev, alarm);
}

std::string ICalString(icalcomponent* c) {
  char* s = icalcomponent_as_ical_string_r(c);
  std::string out = ICalText(s);
  free(s);
  return out;
}

}  // namespace moriva
