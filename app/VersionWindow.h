#pragma once
// The version window: the about panel with an OK button that Enter presses. An installed copy,
// whose files do not lie beside the program, also says where they are.
#include "app/AboutWindow.h"
#include "base/ProgramFolders.h"

class QPushButton;

namespace moriva {

class TVersionWindow : public TAboutWindow {
  Q_OBJECT

 public:
  // `folders`, when given and not one folder, are shown below the panel.
  explicit TVersionWindow(QWidget* parent = nullptr, const TProgramFolders* folders = nullptr);

  QPushButton* OKBtn = nullptr;
  QLabel* ConfigFolder = nullptr;  // null when the files lie beside the program
  QLabel* DataFolder = nullptr;
};

}  // namespace moriva
