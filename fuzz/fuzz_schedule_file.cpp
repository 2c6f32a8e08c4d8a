// Schedule-file loading: any bytes as the file's content, then everything that reads the
// loaded lines (agenda, a day's items, the week view, the handset CSV, the XML export).
#include <cstdint>

#include "base/LineList.h"
#include "calendar/Julius.h"
#include "formats/PhoneCsv.h"
#include "fuzz/FuzzSupport.h"
#include "schedule/Agenda.h"
#include "schedule/ScheduleLine.h"
#include "xml/DomDocument.h"
#include "xml/XmlExport.h"

using namespace moriva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TLineList list;
  list.SetText(fuzz::AsText(data, size));
  // Saving writes Text(); loading that again must give the same lines.
  TLineList again;
  again.SetText(list.Text());
  FUZZ_CHECK(again == list);
  if (list.Count() > 200) return 0;  // the readers below are per line; keep executions fast

  std::vector<TAgendaItem> agenda = CollectAgenda(list, std::nullopt, std::nullopt);
  for (size_t i = 1; i < agenda.size(); ++i) FUZZ_CHECK(agenda[i - 1].Day <= agenda[i].Day);
  for (const TAgendaItem& a : agenda) {
    FUZZ_CHECK(a.Index < list.Count());
    int32_t y;
    uint8_t m, d;
    JuliusToDate(a.Day, y, m, d);
    for (const TDayItem& item : ListDayItems(y, m, d, list)) FUZZ_CHECK(item.Index < list.Count());
    (void)AgendaTimeText(a.Parts.Time);
  }
  for (const std::string& line : list) {
    (void)WeekViewText(line);
    (void)SplitItemText(GetItemText(line));
  }

  TPhoneCsvCounts counts;
  TLineList csv = BuildPhoneCsv(list, 2451545, &counts);
  // A series adds a row per occurrence; every other line gives at most one.
  FUZZ_CHECK(csv.Count() >= 1 &&
             csv.Count() + counts.LeftOut <= list.Count() + 1 + counts.SeriesRows);

  size_t skipped = 0;
  std::unique_ptr<TDomDocument> doc = BuildScheduleXml(list, &skipped);
  FUZZ_CHECK(doc != nullptr);
  (void)doc->SaveToBytes(2);
  // The export writes as it walks the lines; the bytes are the tree's.
  std::string streamed;
  const TScheduleXmlCounts xml =
      WriteScheduleXml(list, [&](std::string_view bytes) { streamed += bytes; });
  FUZZ_CHECK(xml.LeftOut == skipped);
  FUZZ_CHECK(streamed == doc->SaveToBytes(0));
  return 0;
}
