#pragma once
// The month grid, one of the two calendar controls.
#include <QFont>
#include <QHash>

#include "app/CalendarView.h"

namespace moriva {

// The month grid: a header row of weekday names over the weeks of the selected day's month,
// optionally with the neighbouring months' days and the rokuyo names.
class TMonthlyCalendar : public TCalendarView {
  Q_OBJECT

 public:
  explicit TMonthlyCalendar(const TScheduleModel& model, QWidget* parent = nullptr);

  // Weeks start on Sunday.
  static constexpr TDayOfWeek kFirstDayOfWeek = dowSun;
  TDayOfWeek FirstDayOfWeek() const { return kFirstDayOfWeek; }

  // Every setter redraws when the value changes, except SetNeighborJump (stored only).
  bool ShowNeighbor() const { return show_neighbor_; }  // false
  void SetShowNeighbor(bool value);
  bool NeighborJump() const { return neighbor_jump_; }  // false
  void SetNeighborJump(bool value) { neighbor_jump_ = value; }
  bool AutoResize() const { return auto_resize_; }  // true
  void SetAutoResize(bool value);
  bool ShowRokuyo() const { return show_rokuyo_; }  // false
  void SetShowRokuyo(bool value);
  // The solar terms and seasonal days (暦注) in the strip under the number.
  bool ShowSeasonalDays() const { return show_seasonal_; }  // false
  void SetShowSeasonalDays(bool value);

  // Rows including the header row.
  virtual int GetRowCount() const;
  // Day in column 0 of the first week row.
  virtual JuliusDay GetFirstCellDay() const;
  // Cell (col, row) of the client area, in client coordinates.
  QRect CellRect(int col, int row) const;
  // Cell under a client point, clamped to the grid.
  virtual TGridCell CellAt(int x, int y) const;

  void DrawImage() override;

  // The Rokuyo font as drawn in a cell `cellWidth` pixels wide: made smaller, when it has to
  // be, so that the widest rokuyo name fits with a pixel to spare on each side.
  QFont RokuyoFontFor(int cellWidth) const;

  // The strip under a day's number: the rokuyo and the day's solar term or seasonal days, as the
  // switches ask, in the Rokuyo font made small enough for a cell `cellWidth` pixels wide. When
  // both do not fit the names alone take the strip, cut short (…) if they must be. Empty text:
  // no strip.
  struct TStrip {
    QString Text;
    QFont Font;
  };
  TStrip StripFor(JuliusDay z, int cellWidth) const;

 protected:
  // Draws one cell into the image; row 0 is the weekday header.
  virtual void DrawCell(QPainter& painter, int col, int row, const QRect& rect);

  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void DrawHeaderCell(QPainter& painter, int col, const QRect& rect);
  void DrawDayCell(QPainter& painter, int col, int row, const QRect& rect, JuliusDay first);
  template <typename T>
  void Change(T& field, T value);

  bool show_neighbor_ = false;
  bool neighbor_jump_ = false;
  bool auto_resize_ = true;
  bool show_rokuyo_ = false;
  bool show_seasonal_ = false;
  // RokuyoFontFor by cell width, for the Rokuyo font whose key is fitted_key_.
  mutable QString fitted_key_;
  mutable QHash<int, QFont> fitted_;
};

}  // namespace moriva
