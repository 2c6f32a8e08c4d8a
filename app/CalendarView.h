#pragma once
// The common base of the two calendar controls (the month grid in MonthlyCalendar.h, the week
// list in WeeklyCalendar.h): the selected day, the seven fonts, the background colour and the
// off-screen image. What each day is (holiday, special day, its names) comes from the schedule
// model the control shows; the control redraws whenever the model's rules change. A subclass
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
#include "calendar/CalendarGrid.h"
#include "calendar/DayRules.h"
#include "calendar/Julius.h"
#include "schedule/ScheduleModel.h"

namespace moriva {

class TCalendarView;

// Sender, year, month (1..12), day (1..31) of the newly selected day.
using TDayChangeEvent = std::function<void(TCalendarView& Sender, int32_t Y, uint8_t M, uint8_t D)>;

class TCalendarView : public QFrame {
  Q_OBJECT

 public:
  // `model` must outlive the control's drawing (a control left over after it draws nothing).
  explicit TCalendarView(const TScheduleModel& model, QWidget* parent = nullptr);
  ~TCalendarView() override;

  // A day number as its year, month and day.
  struct TYmd {
    int32_t y;
    uint8_t m, d;
  };
  static TYmd DateOf(JuliusDay z);

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

  // --- Appearance and rules ----------------------------------------------------------
  TCalendarFonts& Fonts() { return fonts_; }
  const TCalendarFonts& Fonts() const { return fonts_; }
  void SetFonts(const TCalendarFonts& fonts);
  QColor Color() const { return color_; }
  void SetColor(QColor color);

  // --- Events ------------------------------------------------------------------------
  TDayChangeEvent OnDayChange;
  // A double click, after the press it begins with has selected the day under the mouse.
  std::function<void(TCalendarView& Sender)> OnDblClick;
  // The mouse wheel turned over the control: `steps` notches, positive towards the user (later
  // dates), a touchpad's small movements added up to whole notches.
  std::function<void(TCalendarView& Sender, int steps)> OnWheel;
  // A key pressed while the control has the focus. The month grid calls it after its own move,
  // the week list before its move; setting event->accept() there does not stop the move.
  std::function<void(TCalendarView& Sender, QKeyEvent* event)> OnKeyDown;

  // --- Overridable operations --------------------------------------------------------
  // Redraws the whole image; the base fills it with Color. Subclasses call this first.
  virtual void DrawImage();
  virtual void DayChange(int32_t y, uint8_t m, uint8_t d);
  virtual TDayState GetDayState(int32_t y, uint8_t m, uint8_t d) const;
  // The day's font: special day over the font of the day's kind.
  virtual const TCalendarFont& GetDayFont(int32_t y, uint8_t m, uint8_t d) const;
  // The font of a day's kind, special days left aside: holiday or substitute holiday over
  // Saturday or Sunday over weekday.
  const TCalendarFont& DayKindFont(TDayState state) const;
  // The day's names as comma text (CP932): special-day names, holiday names, then the
  // automatic ones.
  virtual std::string GetDayText(int32_t y, uint8_t m, uint8_t d) const;

  // The schedule the control shows.
  const TScheduleModel& Model() const { return model_; }

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
  void wheelEvent(QWheelEvent* event) override;
  // Gives the key to OnKeyDown; the subclasses call it before or after their own moves.
  void KeyDown(QKeyEvent* event);

 private:
  void SetValidDate(int32_t y, uint8_t m, uint8_t d);
  void StepMonth(int delta);

  TCalendarFonts fonts_;
  JuliusDay julius_day_;
  int wheel_delta_ = 0;  // eighths of a degree turned and not yet a whole notch
  const TScheduleModel& model_;
  QColor color_;
  QImage image_;
  TScheduleWatch watch_;
};

}  // namespace moriva
