// Shows one of the program's windows on the display, for looking at it under a virtual screen:
//   app_preview version [CONFIG DATA] | settings [folder] | message
#include <QApplication>
#include <QTimer>
#include <cstring>

#include "app/QtDialogs.h"
#include "app/SettingsWindow.h"
#include "app/VersionWindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const char* what = argc > 1 ? argv[1] : "version";
  if (std::strcmp(what, "version") == 0) {
    // With two folders, as an installed copy shows them.
    const moriva::TProgramFolders folders(argc > 3 ? argv[2] : "", argc > 3 ? argv[3] : "");
    moriva::TVersionWindow form(nullptr, argc > 3 ? &folders : nullptr);
    return form.exec();
  }
  if (std::strcmp(what, "message") == 0) {
    moriva::TQtDialogs dialogs;
    return dialogs.AskYesNo("予定ファイルを新規作成します。よろしいですか？", "確認",
                            moriva::TMsgIcon::Warning, moriva::TMsgDefault::No);
  }
  if (std::strcmp(what, "settings") == 0) {
    moriva::TQtDialogs dialogs;
    moriva::TSettingsWindow form(dialogs, argc > 2 ? argv[2] : "hs110.ini");
    return form.ShowSettings();
  }
  return 2;
}
