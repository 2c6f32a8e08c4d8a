#pragma once
// The version window: the about panel with an OK button that Enter presses.
#include "app/UnitSP.h"

class QPushButton;

namespace moriva {

class TVersionForm : public TSPForm {
  Q_OBJECT

 public:
  explicit TVersionForm(QWidget* parent = nullptr);

  QPushButton* OKBtn = nullptr;
};

}  // namespace moriva
