// moriva-cli xml-export: the schedule file as the XML file the window's export writes.
#include <ostream>

#include "base/LineList.h"
#include "cli/CliCommand.h"
#include "schedule/ScheduleFile.h"
#include "xml/XmlExport.h"

namespace moriva {

int XmlExportCommand(TCliArgs& args, std::ostream& out, std::ostream&) {
  const std::vector<std::string> pos = args.Positional(2, 2);
  TLineList list;
  LoadScheduleFile(pos[0], list);
  // The path is taken as given: a script names the file it wants.
  const TScheduleXmlCounts counts = ExportScheduleXml(list, pos[1]);
  out << "wrote " << counts.Items << (counts.Items == 1 ? " item" : " items");
  if (counts.Series > 0)
    out << " and " << counts.Series
        << (counts.Series == 1 ? " repeating item" : " repeating items");
  out << " to " << pos[1];
  if (counts.LeftOut > 0)
    out << " (" << counts.LeftOut << (counts.LeftOut == 1 ? " line" : " lines")
        << " without an item text left out)";
  out << '\n';
  return 0;
}

}  // namespace moriva
