#include "formats/DroppedFiles.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "formats/FileMenuActions.h"
#include "formats/ICalendarExport.h"
#include "formats/PhoneCsv.h"
#include "schedule/ScheduleFile.h"

namespace fs = std::filesystem;

namespace moriva {

namespace {

bool SameExtension(std::string extension, std::string_view wanted) {
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == wanted;
}

}  // namespace

TDroppedFileKind DroppedFileKind(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return TDroppedFileKind::None;
  const std::string extension = path.extension().string();
  if (SameExtension(extension, kScheduleFileExtension)) return TDroppedFileKind::Schedule;
  if (SameExtension(extension, kCsvFileExtension)) return TDroppedFileKind::Csv;
  if (SameExtension(extension, kICalFileExtension)) return TDroppedFileKind::ICalendar;
  return TDroppedFileKind::None;
}

bool AnyDroppable(const std::vector<fs::path>& paths) {
  return std::any_of(paths.begin(), paths.end(), [](const fs::path& p) {
    return DroppedFileKind(p) != TDroppedFileKind::None;
  });
}

void OpenDroppedFiles(TScheduleDocument& doc, const std::vector<fs::path>& paths,
                      const TICalZone& zone, JuliusDay today) {
  for (const fs::path& path : paths) {
    switch (DroppedFileKind(path)) {
      case TDroppedFileKind::Schedule:
        doc.LoadScheduleExecute(path);
        break;
      case TDroppedFileKind::Csv:
        CsvInExecute(doc, path);
        break;
      case TDroppedFileKind::ICalendar:
        IcsInExecute(doc, zone, today, path);
        break;
      case TDroppedFileKind::None:
        break;
    }
  }
}

}  // namespace moriva
