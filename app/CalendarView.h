#pragma once
// The common base of the two calendar controls (the month grid in MonthlyCalendar.h, the week
// list in WeeklyCalendar.h): the selected day, the holiday and special-day lists with their
// parsed rules, the seven fonts, the background colour and the off-screen image. A subclass
// draws the whole calendar into the image (DrawImage); painting only copies the image, so the
// screen never flickers.
//
// Coordinates called "client" below are relative to the area inside the sunken frame; the
// image always has exactly that size.
#include <QColor>
#include <QFrame>
#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "app/CalendarFonts.h"
#include "base/LineList.h"
#include "calendar/CalendarGrid.h"
#include "calendar/DayRules.h"
#include "calendar/Julius.h"

namespace moriva {

class TCalendarView;

// Sender, year, month (1..12), day (1..31) of the newly selected day.
using TDayChangeEvent = std::function<void(TCalendarView& Sender, int32_t Y, uint8_t M, uint8_t D)>;
// Sender and the rule lines (CP932) that could not be read at the last rebuild.
using TDayListErrorEvent =
    std::function<void(TCalendarView& Sender, const std::vector<std::string>& FaultyLines)>;

class TCalendarView : public QFrame {
  Q_OBJECT

 public:
  explicit TCalendarView(QWidget* parent = nullptr);
  ~TCalendarView() override;

  // --- Selected day ------------------------------------------------------------------
  JuliusDay GetJuliusDay() const { return julius_day_; }
  // Any day number is accepted. Nothing happens for the current day; otherwise the image is
  // redrawn and repainted, then DayChange reports the new day.
  void SetJuliusDay(JuliusDay day);
  int32_t Year() const;
  uint8_t Month() const;
  uint8_t Day() const;
  // Each combines the new part with the other two current parts; a date that IsValidDate
  // rejects is ignored silently, and one in 5-14 October 1582 throws EJuliusError.
  void SetYear(int32_t year);
  void SetMonth(uint8_t month);
  void SetDay(uint8_t day);

  void SetDate(int32_t y, uint8_t m, uint8_t d);  // no validity check
  void GoToday();
  void NextDay() { SetJuliusDay(julius_day_ + 1); }
  void PrevDay() { SetJuliusDay(julius_day_ - 1); }
  void NextWeek() { SetJuliusDay(julius_day_ + 7); }
  void PrevWeek() { SetJuliusDay(julius_day_ - 7); }
  // One month on or back, the day reduced to the length of the target month.
  void NextMonth() { StepMonth(1); }
  void PrevMonth() { StepMonth(-1); }

  // --- Day lists (CP932 rule lines) --------------------------------------------------
  // Changing a list in place (Add, Put, Delete, ...) rebuilds the rules and redraws; a
  // BeginUpdate/EndUpdate bracket around many changes rebuilds once.
  TLineList& HolidayList() { return holiday_list_; }
  TLineList& SpecialDayList() { return special_day_list_; }
  const TLineList& HolidayList() const { return holiday_list_; }
  const TLineList& SpecialDayList() const { return special_day_list_; }
  void SetHolidayList(const TLineList& lines);  // copies the lines
  void SetSpecialDayList(const TLineList& lines);
  // Lines of either list that the last rebuild could not read (they mark no day).
  const std::vector<std::string>& FaultyDayLines() const { return faulty_lines_; }

  // --- Appearance and rules ----------------------------------------------------------
  TCalendarFonts& Fonts() { return fonts_; }
  const TCalendarFonts& Fonts() const { return fonts_; }
  void SetFonts(const TCalendarFonts& fonts);
  QColor Color() const { return color_; }
  void SetColor(QColor color);
  bool AutoEquinox() const { return rules_.AutoEquinox; }
  void SetAutoEquinox(bool on);
  bool AutoFurikae() const { return rules_.AutoFurikae; }
  void SetAutoFurikae(bool on);
  // The holiday law's switch days for the rules its lines cannot say (a rule set's, with its
  // lines in HolidayList).
  const THolidaySwitches& Switches() const { return rules_.Switches; }
  void SetSwitches(const THolidaySwitches& switches);

  // --- Events ------------------------------------------------------------------------
  TDayChangeEvent OnDayChange;
  // Called after a rebuild whose faulty lines differ from the previous rebuild's and are not
  // none, so one faulty line is reported once, not after every later edit of the lists.
  TDayListErrorEvent OnDayListError;
  // A double click, after the press it begins with has selected the day under the mouse.
  std::function<void(TCalendarView& Sender)> OnDblClick;
  // A key pressed while the control has the focus. The month grid calls it after its own move,
  // the week list before its move; setting event->accept() there does not stop the move.
  std::function<void(TCalendarView& Sender, QKeyEvent* event)> OnKeyDown;

  // --- Overridable operations --------------------------------------------------------
  // Redraws the whole image; the base fills it with Color. Subclasses call this first.
  virtual void DrawImage();
  virtual void DayChange(int32_t y, uint8_t m, uint8_t d);
  // Parses both lists into rules again.
  virtual void BuildDayLists();
  virtual TDayState GetDayState(int32_t y, uint8_t m, uint8_t d) const;
  // The day's font: special day over holiday or substitute holiday over Saturday or Sunday
  // over weekday.
  virtual const TCalendarFont& GetDayFont(int32_t y, uint8_t m, uint8_t d) const;
  // The day's names as comma text (CP932): special-day names, holiday names, then the
  // automatic ones.
  virtual std::string GetDayText(int32_t y, uint8_t m, uint8_t d) const;

  // The parsed holiday and special-day rules as the calendar draws them (for printing).
  const TDayRules& Rules() const { return rules_; }

  // The off-screen image (client size), for tests and for printing.
  const QImage& Image() const { return image_; }
  int ClientWidth() const { return contentsRect().width(); }
  int ClientHeight() const { return contentsRect().height(); }

 protected:
  // Gives the image the client size; false when there is no client area to draw.
  bool ImageReady();
  QImage& MutableImage() { return image_; }
  QPoint ToClient(const QPoint& widgetPos) const { return widgetPos - contentsRect().topLeft(); }
  // The Japanese one-character name of a weekday counted 0 = Sunday .. 6 (日 … 土).
  QString ShortDayName(int weekday) const;
  // Redraw and repaint: what every visible change ends with.
  void Redraw();

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // Gives the key to OnKeyDown; the subclasses call it before or after their own moves.
  void KeyDown(QKeyEvent* event);

 private:
  void SetValidDate(int32_t y, uint8_t m, uint8_t d);
  void StepMonth(int delta);
  void ListChanged();
  void SetList(TLineList& list, const TLineList& lines);

  TCalendarFonts fonts_;
  JuliusDay julius_day_;
  TLineList holiday_list_;
  TLineList special_day_list_;
  QColor color_;
  TDayRules rules_;  // both parsed lists, AutoEquinox, AutoFurikae and the law's switches
  std::vector<std::string> faulty_lines_;
  QImage image_;
};

}  // namespace moriva
