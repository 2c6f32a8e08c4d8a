#pragma once
// The week list, one of the two calendar controls.
#include <QString>
#include <array>
#include <functional>
#include <string>

#include "app/CalendarView.h"
#include "app/WeekStrip.h"

namespace moriva {

// The week list: seven horizontal strips for the week of the selected day, each a date caption
// followed by the day's names, drawn by the control or handed to the owner (OnDrawDayCell).
class TWeeklyCalendar;

// Sender; the painter of the off-screen image, already set to the day's font and colour with
// no background fill; DayText, the caption ("7/13(金) "); MainText, the day's names as CP932
// comma text (GetDayText); the strip in client coordinates; Row, 0..6 from the top.
using TOnDrawDayCell =
    std::function<void(TWeeklyCalendar& Sender, QPainter& Canvas, const QString& DayText,
                       const std::string& MainText, QRect& ARect, int32_t Row)>;

// How the strips show their days.
enum class TWeekListLayout {
  // The texts as entered: the control draws caption and day text (DefaultDrawing) or hands
  // them to OnDrawDayCell.
  AsEntered,
  // Each day read at a glance (WeekStrip.h): names in their colours, items by time, 「ほか N
  // 件」 when they do not fit, and the whole day in the strip's tooltip.
  ByTime,
};

class TWeeklyCalendar : public TCalendarView {
  Q_OBJECT

 public:
  // Color starts as the tooltip background, BorderColor as the tooltip text colour.
  explicit TWeeklyCalendar(const TScheduleModel& model, QWidget* parent = nullptr);

  // The top strip is a Sunday.
  static constexpr TDayOfWeek kFirstDayOfWeek = dowSun;
  QColor BorderColor() const { return border_color_; }
  void SetBorderColor(QColor value);  // redraws when changed
  // When false the owner's OnDrawDayCell draws the texts (stored only; takes effect on the
  // next redraw).
  bool DefaultDrawing() const { return default_drawing_; }
  void SetDefaultDrawing(bool value) { default_drawing_ = value; }
  TOnDrawDayCell OnDrawDayCell;
  // AsEntered until set; redraws when changed.
  TWeekListLayout Layout() const { return layout_; }
  void SetLayout(TWeekListLayout layout);
  // What a strip showed when last drawn ByTime (empty otherwise), row 0..6.
  const TStripLayout& Strip(int row) const { return strips_.at(static_cast<size_t>(row)); }
  // The tooltip of a strip in the ByTime layout (plain text): the day's caption and all its
  // names and items; empty for a day without any.
  QString DayToolTip(int row) const;

  // Day of the top strip.
  virtual JuliusDay GetWeekStart() const;
  // The caption of a day: month "/" day "(" short weekday name ") ".
  QString DayCaption(int32_t y, uint8_t m, uint8_t d, int row) const;
  // The solar terms and seasonal days (暦注) after the day's own names; redraws when changed.
  bool ShowSeasonalDays() const { return show_seasonal_; }  // false
  void SetShowSeasonalDays(bool value);
  // What follows a day's names when the switch is on: " " and its solar term or seasonal days
  // joined by "・"; otherwise empty.
  QString SeasonalSuffix(JuliusDay z) const;

  void DrawImage() override;

 protected:
  virtual void DrawCell(QPainter& painter, int row, const QRect& rect);

  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  std::vector<TDayEntry> Entries(int32_t y, uint8_t m, uint8_t d) const;

  QColor border_color_;
  bool default_drawing_ = true;
  TWeekListLayout layout_ = TWeekListLayout::AsEntered;
  std::array<TStripLayout, 7> strips_;
  bool show_seasonal_ = false;
};

}  // namespace moriva
