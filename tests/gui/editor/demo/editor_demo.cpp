// Shows the schedule editor on 2026/12/7 of a small sample schedule with real message boxes,
// then prints the modal result and the list as it was left. With an argument, the window
// closes itself after that many milliseconds (for screenshots).
#include <QApplication>
#include <QTimer>
#include <iostream>

#include "app/QtDialogs.h"
#include "app/ScheduleEditorWindow.h"
#include "base/Cp932.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  moriva::TLineList list{
      moriva::Utf8ToCp932("2026,2026,12,7,,,\"定例会議- 本社 3F 会議室- 9:30:0- TRUE\""),
      moriva::Utf8ToCp932("2026,2026,12,7,,,\"歯医者- 駅前クリニック- 18:00:0- FALSE\""),
      moriva::Utf8ToCp932("2026,2026,12,8,,,\"出張- 大阪- 7:0:0- FALSE\""),
      moriva::Utf8ToCp932("2026,2026,12,7,,,\"忘年会の予約- - 12:15:0- FALSE\""),
  };
  moriva::TQtDialogs dialogs;
  moriva::TScheduleEditorWindow form(list, 2026, 12, 7, dialogs);
  if (argc > 1) QTimer::singleShot(std::atoi(argv[1]), &form, [&form] { form.done(0); });
  const int result = form.RunEditor();
  std::cout << "result " << result << "\n";
  for (const std::string& line : list) std::cout << moriva::Cp932ToUtf8(line) << "\n";
  return 0;
}
