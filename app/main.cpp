// The program entry: one application, one main window, the window loop until it closes.
#include <QApplication>
#include <QFile>
#include <exception>
#include <optional>
#include <string>

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
  // The program's folder, where its settings file and its mail folders live.
  const std::filesystem::path exeDir =
      std::filesystem::path(QFile::encodeName(QApplication::applicationDirPath()).toStdString()) /
      "";
  std::optional<std::string> firstArgument;
  if (argc > 1) firstArgument = argv[1];

  moriva::TQtDialogs dialogs;
  app.Dialogs = &dialogs;
  moriva::TMainWindow form(dialogs, exeDir, firstArgument);
  dialogs.SetParent(&form);
  form.show();
  return app.exec();
}
