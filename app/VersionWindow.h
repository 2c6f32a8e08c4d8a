#pragma once
// The version window: the about panel with an OK button that Enter presses.
#include "app/AboutWindow.h"

class QPushButton;

namespace moriva {

class TVersionWindow : public TAboutWindow {
  Q_OBJECT

 public:
  explicit TVersionWindow(QWidget* parent = nullptr);

  QPushButton* OKBtn = nullptr;
};

}  // namespace moriva
