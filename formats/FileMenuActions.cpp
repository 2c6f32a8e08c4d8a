#include "formats/FileMenuActions.h"

#include "base/Exception.h"
#include "formats/CsvMerge.h"
#include "formats/ICalendarExport.h"
#include "formats/ICalendarImport.h"
#include "formats/PhoneCsv.h"
#include "schedule/ScheduleFile.h"
#include "xml/XmlExport.h"

namespace fs = std::filesystem;

namespace moriva {

namespace {

// The question both CSV actions ask first; No is the default, since either action is easy to
// pick by mistake for the other.
bool AskToContinue(TDialogs& dialogs, const std::string& text) {
  return dialogs.AskYesNo(text, kWarningCaption, TMsgIcon::Warning, TMsgDefault::No);
}

}  // namespace

void CsvOutExecute(TScheduleDocument& doc, JuliusDay today) {
  TDialogs& dialogs = doc.Dialogs();
  if (!AskToContinue(dialogs, CsvOutWarningText())) return;
  TPhoneCsvCounts counts;
  const TLineList csv = BuildPhoneCsv(doc.List(), today, &counts, doc.Model().Rules());
  std::optional<fs::path> chosen = dialogs.ChooseSaveFile(kCsvFileFilter, kPhoneCsvFileName);
  if (!chosen) return;
  const std::optional<fs::path> name = ConfirmSaveName(dialogs, *chosen, kCsvFileExtension);
  if (!name) return;
  try {
    SavePhoneCsv(*name, csv);
  } catch (const Exception& e) {
    dialogs.ShowError(e.what());
    return;
  }
  // The handset knows no repeating items and only its own characters: say what became of them.
  if (const std::string note = PhoneCsvNote(counts); !note.empty())
    dialogs.ShowMessage(note, {}, TMsgIcon::None);
}

void CsvInExecute(TScheduleDocument& doc, const std::optional<fs::path>& file) {
  TDialogs& dialogs = doc.Dialogs();
  if (!AskToContinue(dialogs, CsvInWarningText())) return;
  std::optional<fs::path> chosen = file ? file : dialogs.ChooseOpenFile(kCsvFileFilter);
  if (chosen) MergeCsvFileInto(doc, *chosen);
}

bool MergeCsvFileInto(TScheduleDocument& doc, const fs::path& path) {
  TMergeResult result;
  try {
    result = MergeCsvFile(path, doc.List());
  } catch (const Exception& e) {
    doc.Dialogs().ShowError(e.what());
    return false;
  }
  doc.ListEdited("CSV読込");
  doc.Dialogs().ShowMessage(CsvImportMessage(result), {}, TMsgIcon::None);
  return true;
}

void IcsOutExecute(TScheduleDocument& doc, const TICalZone& zone, time_t stamp) {
  TDialogs& dialogs = doc.Dialogs();
  const JuliusDay today = DateToJulius(1970, 1, 1) + static_cast<JuliusDay>(stamp / 86400);
  const fs::path stem =
      doc.ScheduleFileName().empty() ? fs::path("schedule") : doc.ScheduleFileName().stem();
  std::optional<fs::path> chosen =
      dialogs.ChooseSaveFile(kICalFileFilter, fs::path(stem) += kICalFileExtension);
  if (!chosen) return;
  TICalExportCounts ics;
  try {
    ics = ExportICalendar(WithDefaultExtension(*chosen, kICalFileExtension), doc.List(), zone,
                          stamp, ExportHolidays(doc.Model().Rules(), today));
  } catch (const Exception& e) {
    dialogs.ShowError(e.what());
    return;
  }
  if (ics.LeftOut > 0) dialogs.ShowWarning(ICalLeftOutMessage(ics.LeftOut), kWarningCaption);
}

void IcsInExecute(TScheduleDocument& doc, const TICalZone& zone, JuliusDay today,
                  const std::optional<fs::path>& file) {
  TDialogs& dialogs = doc.Dialogs();
  if (!AskToContinue(dialogs, ICalInWarningText())) return;
  std::optional<fs::path> chosen = file ? file : dialogs.ChooseOpenFile(kICalFileFilter);
  if (!chosen) return;
  TICalMergeResult result;
  try {
    result = MergeICalendarFile(*chosen, doc.List(), zone, DefaultICalWindow(today));
  } catch (const Exception& e) {
    dialogs.ShowError(e.what());
    return;
  }
  doc.ListEdited("iCalendar 読込");
  dialogs.ShowMessage(ICalMergeMessage(result), {}, TMsgIcon::None);
}

void XmlOutExecute(TScheduleDocument& doc) {
  TDialogs& dialogs = doc.Dialogs();
  std::optional<fs::path> chosen = dialogs.ChooseSaveFile(kXmlFileFilter);
  if (!chosen) return;
  const std::optional<fs::path> name = ConfirmSaveName(dialogs, *chosen, kXmlFileExtension);
  if (!name) return;
  // Written as the lines are walked: every line is accepted, so nothing can be refused before
  // the dialog, and a schedule of any size needs no tree in memory.
  try {
    ExportScheduleXml(doc.List(), *name);
  } catch (const Exception& e) {
    dialogs.ShowError(e.what());
  }
}

}  // namespace moriva
