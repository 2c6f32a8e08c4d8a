#pragma once
// Running the program's windows without a screen, for the benchmarks and demos that measure
// drawing and start-up: Qt's offscreen platform, and a wait for the first painted frame.
#include <memory>

class QApplication;
class QWidget;

namespace moriva {

// The application object on the offscreen platform (unless QT_QPA_PLATFORM already names one).
class TOffscreenApplication {
 public:
  TOffscreenApplication(int& argc, char** argv);
  ~TOffscreenApplication();
  TOffscreenApplication(const TOffscreenApplication&) = delete;
  TOffscreenApplication& operator=(const TOffscreenApplication&) = delete;

 private:
  std::unique_ptr<QApplication> app_;
};

// Shows `window` and runs the event loop until `watched` (the window or one of its children)
// has painted once.
void ShowAndWaitForPaint(QWidget& window, QWidget& watched);

}  // namespace moriva
