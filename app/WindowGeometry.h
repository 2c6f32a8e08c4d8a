#pragma once
// The main window as it grows: both calendars, their cells and their fonts follow the window's
// size, the designed size being the smallest; and the window's place and size, kept in the
// settings file, put back inside the screens at the next start.
#include <QObject>
#include <QPoint>
#include <QSize>
#include <array>
#include <filesystem>

#include "app/CalendarFonts.h"

class QWidget;

namespace moriva {

class TCalendarView;
class TMonthlyCalendar;

class TCalendarGrowth : public QObject {
  Q_OBJECT

 public:
  // `area` is the widget the two calendars fill (the central widget of `window`); `designed`
  // the window's designed size, which becomes its minimum. The month calendar is `monthWidth`
  // wide at that size, and the fonts the calendars have now are their designed fonts.
  TCalendarGrowth(QWidget& window, QWidget& area, TMonthlyCalendar& month, TCalendarView& week,
                  QSize designed, int monthWidth);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Follow();

  QWidget& window_;
  QWidget& area_;
  TMonthlyCalendar& month_;
  TCalendarView& week_;
  QSize designed_;
  int month_width_;
  std::array<TCalendarFont, CalendarFontCount> month_fonts_, week_fonts_;
  // How much larger than designed the fonts are drawn: the smaller of the growth across and
  // down, so text that fits a designed cell fits a grown one.
  double font_scale_ = 1.0;
};

// Puts the window where the settings file says it was, inside the screens there are now
// (its minimum size kept), maximized again if it was. False, and nothing done, when the file
// holds no place.
bool RestoreWindowPlacement(QWidget& window, const std::filesystem::path& settingsFile);
// Keeps the window's normal place and size, and whether it is maximized, when they differ from
// those kept, or from `startCorner` and the designed size when none are kept; throws
// EFileError.
void SaveWindowPlacement(const QWidget& window, const std::filesystem::path& settingsFile,
                         QPoint startCorner, QSize designed);

}  // namespace moriva
