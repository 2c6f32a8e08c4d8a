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
  size_t leftOut = 0;
  std::unique_ptr<TDomDocument> doc = BuildScheduleXml(list, &leftOut);
  // The path is taken as given: a script names the file it wants.
  doc->SaveToFile(pos[1], 0);
  const size_t items = doc->GetDocumentElement()->GetChildNodes()->Count();
  out << "wrote " << items << (items == 1 ? " item" : " items") << " to " << pos[1];
  if (leftOut > 0)
    out << " (" << leftOut << (leftOut == 1 ? " line" : " lines")
        << " without an item text left out)";
  out << '\n';
  return 0;
}

}  // namespace moriva
