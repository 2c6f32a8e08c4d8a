// The program entry: one application, one main window, the window loop until it closes.
#include <QApplication>
#include <QFile>
#include <QTimer>
#include <exception>
#include <optional>
#include <string>

#include "app/CloseOnSignal.h"
#include "app/FormFont.h"
#include "app/JapaneseLocale.h"
#include "app/MainWindow.h"
#include "app/QtDialogs.h"

namespace {

// An exception that no handler caught is shown as its text in an error box, and the program
// goes on, as the window loop's default handler does.
class TMorivaApplication : public QApplication {
 public:
  using QApplication::QApplication;
  moriva::TDialogs* Dialogs = nullptr;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      if (Dialogs) Dialogs->ShowError(e.what());
      return false;
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  TMorivaApplication app(argc, argv);
  moriva::UseJapanese(app);
  moriva::UseFormFontThroughout();
  // The settings file and the mail folders live beside the program, or in the desktop's
  // folders for an installed copy; those are made now, as the window reads and writes there.
  const std::filesystem::path exeDir =
      std::filesystem::path(QFile::encodeName(QApplication::applicationDirPath()).toStdString()) /
      "";
  const moriva::TProgramFolders folders = moriva::ChooseProgramFolders(
      exeDir, moriva::IsInstalledProgramFolder(exeDir), moriva::SystemEnvironment());
  moriva::MakeProgramFolder(folders.Config);
  moriva::MakeProgramFolder(folders.Data);
  std::optional<std::string> firstArgument;
  if (argc > 1) firstArgument = argv[1];

  moriva::TQtDialogs dialogs;
  app.Dialogs = &dialogs;
  moriva::TMainWindow form(dialogs, folders, firstArgument);
  dialogs.SetParent(&form);
  moriva::CloseOnTerminationSignals(&form);
  // Start-up errors (a file that does not open, faulty calendar lines) are shown over the
  // window once it is on the screen, not over an empty desktop before it.
  dialogs.HoldMessages();
  form.show();
  QTimer::singleShot(0, &form, [&dialogs] { dialogs.ReleaseMessages(); });
  return app.exec();
}
