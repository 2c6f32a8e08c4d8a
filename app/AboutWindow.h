#pragma once
// The about panel: the program's name, its version, the rights notice and a link to the
// project's web page, on a pale yellow borderless window. It is the layout the version window
// (VersionWindow.h) is built on and is not shown by itself.
#include <QDialog>
#include <QString>
#include <functional>

class QFrame;
class QLabel;

namespace moriva {

// "Ver." followed by the four numbers of the product version, e.g. "Ver.1.0.0.0". The version
// is set once, in the build, and compiled into the program, so there is no case of a program
// without one.
QString GetVersionText();

// The maker's own data shown on the panel.
inline constexpr char kRightsNotice[] = "(C) 2026 Moriva Project";
inline constexpr char kWebAddress[] = "https://moriva.example.org/";

class TAboutWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutWindow(QWidget* parent = nullptr);

  // Opens a link with the desktop's browser; tests replace it to see the click without a
  // browser.
  std::function<void(const QString&)> OpenLink;

  QFrame* Frame = nullptr;
  QLabel* Icon = nullptr;
  QLabel* Title = nullptr;
  QLabel* lblVer = nullptr;
  QLabel* Rights = nullptr;
  QLabel* URL = nullptr;

  void URLClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void FormShow();
};

}  // namespace moriva
