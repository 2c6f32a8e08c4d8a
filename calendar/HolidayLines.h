#pragma once
// The program's holiday list: fifteen rule lines (CP932) that the main window gives its
// calendars. The equinox days and substitute holidays come from built-in rules, not from here.
#include "base/LineList.h"

namespace moriva {

const TLineList& DefaultHolidayLines();

}  // namespace moriva
