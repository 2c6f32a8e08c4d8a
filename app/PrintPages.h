#pragma once
// The schedule on paper (or in a PDF): the month sheet on one landscape page, the calendar grid
// across the whole width, each day with its names and items; and the agenda of a range of days
// as a list over as many portrait pages as it takes. The contents come from the core
// (schedule/PrintSheets); these functions only lay them out.
#include <vector>

#include "schedule/PrintSheets.h"

class QPagedPaintDevice;

namespace moriva {

// `device` is a printer or a PDF writer; a string of pages in either case.

// Sets the device to a landscape page (of the paper chosen, A4 when none was) and paints the sheet
// on it.
void PrintMonthSheet(QPagedPaintDevice& printer, const TMonthSheet& sheet);

// Sets the device to portrait pages and paints the agenda under `title` (UTF-8), with the
// page number at the foot of every page; an empty agenda prints one page that says so.
void PrintAgendaSheet(QPagedPaintDevice& printer, const std::vector<TAgendaSheetLine>& lines,
                      const std::string& title);

}  // namespace moriva
