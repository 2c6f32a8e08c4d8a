#pragma once
// The month grid, one of the two calendar controls.
#include <QFont>
#include <QHash>
#include <optional>

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

  // How the cell of day `z` is painted. A day keeps the colour of its kind (holiday and Sunday
  // red, Saturday blue) also when items fall on it; the items show as a mark under the number
  // in the special-day colour. The selected day is filled with its number's colour and drawn
  // in Color(); a neighbouring month's day is drawn lighter, or not at all while they are
  // hidden.
  struct TCellLook {
    bool Drawn = true;
    std::optional<QColor> Fill;
    QFont Font;
    QColor Number;
    std::optional<QColor> Mark;  // only on a day with items (or other special-day lines)
    QColor Items;                // the subjects listed in a grown cell
  };
  TCellLook CellLook(JuliusDay z) const;

  // How many subjects a cell lists under its number: as many small-type lines as fit below the
  // number in the current cell height, none while the cells are too small for one (at the
  // designed size).
  int ItemLines() const;
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
  // The small type of the subjects, with its line height and how many lines a cell takes.
  struct TItemLayout {
    QFont Font;
    int LineHeight = 0;
    int Lines = 0;
  };
  TItemLayout ItemLayout() const;
  void DrawHeaderCell(QPainter& painter, int col, const QRect& rect);
  void DrawDayCell(QPainter& painter, int col, int row, const QRect& rect, JuliusDay first);
  void DrawItems(QPainter& painter, const TYmd& date, const QRect& area, const TCellLook& look);
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
  TItemLayout item_layout_;  // worked out once per DrawImage
};

}  // namespace moriva
