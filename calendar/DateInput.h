#pragma once
// A date as a user types it into a date field: 2027/1/10, 2027-01-10, 1/10 (in the given
// year), or a Japanese era date (令和9年1月10日, R9.1.10, 元年 for the first year). Digits,
// slashes and hyphens may be full-width; blanks around the text are ignored. Text is CP932.
#include <cstdint>
#include <optional>
#include <string_view>

#include "calendar/Julius.h"

namespace moriva {

// The day the text names, or nothing when it names no day (also an era date outside its
// era, and years outside 1..9999).
std::optional<JuliusDay> ParseDateInput(std::string_view cp932, int32_t thisYear);

}  // namespace moriva
