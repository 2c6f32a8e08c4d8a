#include "app/Offscreen.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <cstdlib>

namespace moriva {

namespace {

class TPaintWatch : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return false;
  }
};

}  // namespace

TOffscreenApplication::TOffscreenApplication(int& argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  app_ = std::make_unique<QApplication>(argc, argv);
}

TOffscreenApplication::~TOffscreenApplication() = default;

void ShowAndWaitForPaint(QWidget& window, QWidget& watched) {
  TPaintWatch watch;
  watched.installEventFilter(&watch);
  window.show();
  while (!watch.painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  watched.removeEventFilter(&watch);
}

}  // namespace moriva
