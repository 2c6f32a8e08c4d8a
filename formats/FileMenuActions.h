#pragma once
// The file menu's exchange actions: CSV出力 (the handset's file written where the user chooses),
// CSV読込 (a handset file merged into the schedule), iCalendar 書出 and iCalendar 読込 (the
// schedule to and from every other calendar program) and XML出力. Each asks and chooses files
// through the document's dialogs and reports failures in error boxes; the schedule is changed
// only by a merge, which then marks the document modified.
#include <ctime>
#include <filesystem>
#include <optional>

#include "calendar/Julius.h"
#include "formats/ICalendar.h"
#include "schedule/ScheduleDocument.h"

namespace moriva {

// The save dialog's filter of the XML export.
inline constexpr std::string_view kXmlFileFilter = "XMLファイル(*.xml)|*.xml|全て(*.*)|*.*";
inline constexpr std::string_view kXmlFileExtension = ".xml";
// The caption of the questions before the CSV actions.
inline constexpr std::string_view kWarningCaption = "警告";

// Asks, builds the rows of the items dated `today` or later, and writes them where the user
// chooses (".csv" added to a name without extension, ConfirmSaveName). Changes no schedule data.
void CsvOutExecute(TScheduleDocument& doc, JuliusDay today);

// Asks, lets the user choose a CSV file and merges it (MergeCsvFileInto). With `file` given (a
// file dropped on the window) it asks the same question and merges that file, choosing none.
void CsvInExecute(TScheduleDocument& doc,
                  const std::optional<std::filesystem::path>& file = std::nullopt);

// Merges the file into the schedule; then the week view copies the lists, the document is
// modified and CsvImportMessage is shown. A file that cannot be read is reported and
// changes nothing. Returns whether the file was read.
bool MergeCsvFileInto(TScheduleDocument& doc, const std::filesystem::path& path);

// Lets the user choose the file (".ics" added to a name without extension, the schedule's own
// name proposed) and writes every line as an iCalendar event in `zone`, `stamp` as DTSTAMP.
// Lines iCalendar cannot express are left out and counted in a warning. Changes no schedule
// data.
void IcsOutExecute(TScheduleDocument& doc, const TICalZone& zone, time_t stamp);

// Asks as CSV読込 does, lets the user choose an iCalendar file and merges it: repeating events
// over the days from a year before `today` to two years after. Then, as after a CSV merge, the
// week view copies the lists, the document is modified and ICalMergeMessage is shown; a file that
// cannot be read or is refused is reported and changes nothing. With `file` given, as
// CsvInExecute.
void IcsInExecute(TScheduleDocument& doc, const TICalZone& zone, JuliusDay today,
                  const std::optional<std::filesystem::path>& file = std::nullopt);

// Lets the user choose the file (".xml" added to a name without extension) and writes every
// line to it as XML. A cancelled dialog writes nothing.
void XmlOutExecute(TScheduleDocument& doc);

}  // namespace moriva
