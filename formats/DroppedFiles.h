#pragma once
// Files dropped on the main window: a schedule (".mrv") is opened as 読込 opens one, a handset
// CSV file (".csv") and an iCalendar file (".ics") are merged as CSV読込 and iCalendar 読込
// merge theirs, questions and messages included; the file dialog is the only step left out.
#include <filesystem>
#include <vector>

#include "calendar/Julius.h"
#include "formats/ICalendar.h"
#include "schedule/ScheduleDocument.h"

namespace moriva {

enum class TDroppedFileKind { None, Schedule, Csv, ICalendar };

// By the extension, in any letter case ("A.MRV" comes from other systems too); a name
// without one of the three extensions, or a folder name ending in one, is None.
TDroppedFileKind DroppedFileKind(const std::filesystem::path& path);

// Whether any of the paths is a file the window takes.
bool AnyDroppable(const std::vector<std::filesystem::path>& paths);

// Opens or merges each file the window takes, in the order given; the others are passed over.
// Repeating iCalendar events are expanded around `today`, as the menu does.
void OpenDroppedFiles(TScheduleDocument& doc, const std::vector<std::filesystem::path>& paths,
                      const TICalZone& zone, JuliusDay today);

}  // namespace moriva
