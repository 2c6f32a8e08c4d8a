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
}

TICalZone::~TICalZone() {
  if (owned_) icaltimezone_free(owned_, 1);
}

TICalComponent TICalZone::VTimeZone() const {
  if (!owned_) return nullptr;
  return TICalComponent(icalcomponent_new_clone(icaltimezone_get_component(owned_)));
}

std::string ICalString(icalcomponent* c) {
  char* s = icalcomponent_as_ical_string_r(c);
  std::string out = ICalText(s);
  free(s);
  return out;
}

}  // namespace moriva
