#pragma once
// The calendar controls: a common base and its two views, the month grid and the week list.
//
// The common base of the two calendar controls: the selected day, the holiday and special-day
// lists with their parsed rules, the seven fonts, the background colour and the off-screen
// image. A subclass draws the whole calendar into the image (DrawImage); painting only copies
// the image, so the screen never flickers.
//
// Coordinates called "client" below are relative to the area inside the sunken frame; the
// image always has exactly that size.
#include <QColor>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/LineList.h"
#include "calendar/CalendarGrid.h"
#include "calendar/DayRules.h"
#include "calendar/Julius.h"

namespace moriva {

// The seven fonts of a calendar control. A Qt font has no colour, so each entry pairs a QFont
// with the colour its text is drawn in. Every change, in place or by assignment, reaches the
// owning calendar through one notice, which redraws it.
// Index of each font in the set, in the order the set publishes them.
enum TCalExFontIndex : uint8_t {
  cfWeekday,
  cfSaturday,
  cfSunday,
  cfDayOfWeek,
  cfHoliday,
  cfSpecialDay,
  cfRokuyo,
};
inline constexpr int CalExFontCount = 7;

// One font with its colour. Setters notify through OnChange (only when something changed).
// Copies take the attributes only; the notice stays with the owner.
class TCalExFont {
 public:
  TCalExFont() = default;
  TCalExFont(const QFont& font, QColor color) : font_(font), color_(color) {}
  TCalExFont(const TCalExFont& other) : font_(other.font_), color_(other.color_) {}
  TCalExFont& operator=(const TCalExFont& other) {
    Assign(other);
    return *this;
  }

  const QFont& Font() const { return font_; }
  QColor Color() const { return color_; }
  // Height in pixels of the character cell: the pixel size when one is set, otherwise the
  // point size converted at `dpi` (so a 10-point font is 13 pixels high at 96 dpi).
  int Height(int dpi = 96) const;

  void SetFont(const QFont& font);  // every attribute of `font`; the colour stays
  void SetColor(QColor color);
  void SetFamily(const QString& family);
  void SetHeight(int pixels);  // the pixel size
  void SetPointSize(int points);
  void SetBold(bool bold);
  void SetItalic(bool italic);
  void SetUnderline(bool underline);
  void Assign(const TCalExFont& other);  // font and colour

  bool operator==(const TCalExFont& other) const {
    return font_ == other.font_ && color_ == other.color_;
  }

  std::function<void()> OnChange;

 private:
  void Change(const QFont& font, QColor color);
  // Changes one attribute of a copy of the font and takes the copy if it differs.
  template <typename Edit>
  void Modify(Edit edit);

  QFont font_;
  QColor color_ = Qt::black;
};

// The set: Weekday, Saturday, Sunday, DayOfWeek, Holiday, SpecialDay, Rokuyo. Reading a font
// gives the entry itself, to be changed in place; writing one copies the given attributes into
// that entry or, with Synchronize on, into all seven. One notice per write either way.
class TCalExFonts {
 public:
  TCalExFonts();
  TCalExFonts(const TCalExFonts&) = delete;
  TCalExFonts& operator=(const TCalExFonts&) = delete;

  TCalExFont& Font(TCalExFontIndex index) { return fonts_[index]; }
  const TCalExFont& Font(TCalExFontIndex index) const { return fonts_[index]; }
  void SetFont(TCalExFontIndex index, const TCalExFont& font);

  TCalExFont& Weekday() { return fonts_[cfWeekday]; }
  TCalExFont& Saturday() { return fonts_[cfSaturday]; }
  TCalExFont& Sunday() { return fonts_[cfSunday]; }
  TCalExFont& DayOfWeek() { return fonts_[cfDayOfWeek]; }
  TCalExFont& Holiday() { return fonts_[cfHoliday]; }
  TCalExFont& SpecialDay() { return fonts_[cfSpecialDay]; }
  TCalExFont& Rokuyo() { return fonts_[cfRokuyo]; }
  void SetWeekday(const TCalExFont& f) { SetFont(cfWeekday, f); }
  void SetSaturday(const TCalExFont& f) { SetFont(cfSaturday, f); }
  void SetSunday(const TCalExFont& f) { SetFont(cfSunday, f); }
  void SetDayOfWeek(const TCalExFont& f) { SetFont(cfDayOfWeek, f); }
  void SetHoliday(const TCalExFont& f) { SetFont(cfHoliday, f); }
  void SetSpecialDay(const TCalExFont& f) { SetFont(cfSpecialDay, f); }
  void SetRokuyo(const TCalExFont& f) { SetFont(cfRokuyo, f); }

  // Copies all seven fonts of `other` (its Synchronize setting is not copied); one notice.
  void Assign(const TCalExFonts& other);

  bool Synchronize = false;
  // Set by the owning calendar: called once after every change of any font.
  std::function<void()> OnChange;

 private:
  void Notify();

  std::array<TCalExFont, CalExFontCount> fonts_;
  bool quiet_ = false;  // while a write touches several fonts, they do not notify one by one
};

class TCustomCalendarEx;

// Sender, year, month (1..12), day (1..31) of the newly selected day.
using TDayChangeEvent =
    std::function<void(TCustomCalendarEx& Sender, int32_t Y, uint8_t M, uint8_t D)>;
// Sender and the rule lines (CP932) that could not be read at the last rebuild.
using TDayListErrorEvent =
    std::function<void(TCustomCalendarEx& Sender, const std::vector<std::string>& FaultyLines)>;

class TCustomCalendarEx : public QFrame {
  Q_OBJECT

 public:
  explicit TCustomCalendarEx(QWidget* parent = nullptr);
  ~TCustomCalendarEx() override;

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
  TCalExFonts& Fonts() { return fonts_; }
  const TCalExFonts& Fonts() const { return fonts_; }
  void SetFonts(const TCalExFonts& fonts);
  QColor Color() const { return color_; }
  void SetColor(QColor color);
  bool AutoEquinox() const { return rules_.AutoEquinox; }
  void SetAutoEquinox(bool on);
  bool AutoFurikae() const { return rules_.AutoFurikae; }
  void SetAutoFurikae(bool on);

  // --- Events ------------------------------------------------------------------------
  TDayChangeEvent OnDayChange;
  // Called after a rebuild whose faulty lines differ from the previous rebuild's and are not
  // none, so one faulty line is reported once, not after every later edit of the lists.
  TDayListErrorEvent OnDayListError;
  // A double click, after the press it begins with has selected the day under the mouse.
  std::function<void(TCustomCalendarEx& Sender)> OnDblClick;
  // A key pressed while the control has the focus. The month grid calls it after its own move,
  // the week list before its move; setting event->accept() there does not stop the move.
  std::function<void(TCustomCalendarEx& Sender, QKeyEvent* event)> OnKeyDown;

  // --- Overridable operations --------------------------------------------------------
  // Redraws the whole image; the base fills it with Color. Subclasses call this first.
  virtual void DrawImage();
  virtual void DayChange(int32_t y, uint8_t m, uint8_t d);
  // Parses both lists into rules again.
  virtual void BuildDayLists();
  virtual TDayState GetDayState(int32_t y, uint8_t m, uint8_t d) const;
  // The day's font: special day over holiday or substitute holiday over Saturday or Sunday
  // over weekday.
  virtual const TCalExFont& GetDayFont(int32_t y, uint8_t m, uint8_t d) const;
  // The day's names as comma text (CP932): special-day names, holiday names, then the
  // automatic ones.
  virtual std::string GetDayText(int32_t y, uint8_t m, uint8_t d) const;

  // The off-screen image (client size), for tests and for printing.
  const QImage& Image() const { return image_; }
  int ClientWidth() const { return contentsRect().width(); }
  int ClientHeight() const { return contentsRect().height(); }

 protected:
  // Gives the image the client size; false when there is no client area to draw.
  bool ImageReady();
  QImage& MutableImage() { return image_; }
  QPoint ToClient(const QPoint& widgetPos) const { return widgetPos - contentsRect().topLeft(); }
  // The locale's abbreviated name of a weekday counted 0 = Sunday .. 6.
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

  TCalExFonts fonts_;
  JuliusDay julius_day_;
  TLineList holiday_list_;
  TLineList special_day_list_;
  QColor color_;
  TDayRules rules_;  // both parsed lists, and the AutoEquinox / AutoFurikae switches
  std::vector<std::string> faulty_lines_;
  QImage image_;
};

// The month grid: a header row of weekday names over the weeks of the selected day's month,
// optionally with the neighbouring months' days and the rokuyo names.
class TMonthlyCalendar : public TCustomCalendarEx {
  Q_OBJECT

 public:
  explicit TMonthlyCalendar(QWidget* parent = nullptr);

  // Every setter redraws when the value changes, except SetNeighborJump (stored only).
  TDayOfWeek FirstDayOfWeek() const { return first_day_of_week_; }
  void SetFirstDayOfWeek(TDayOfWeek value);
  QColor NeighborColor() const { return neighbor_color_; }  // silver
  void SetNeighborColor(QColor value);
  QColor DayOfWeekBkColor() const { return day_of_week_bk_color_; }  // navy
  void SetDayOfWeekBkColor(QColor value);
  bool ShowNeighbor() const { return show_neighbor_; }  // false
  void SetShowNeighbor(bool value);
  bool NeighborJump() const { return neighbor_jump_; }  // false
  void SetNeighborJump(bool value) { neighbor_jump_ = value; }
  bool AutoResize() const { return auto_resize_; }  // true
  void SetAutoResize(bool value);
  bool FirstRowFirstDay() const { return first_row_first_day_; }  // false
  void SetFirstRowFirstDay(bool value);
  bool LastRowLastDay() const { return last_row_last_day_; }  // false
  void SetLastRowLastDay(bool value);
  bool ShowRokuyo() const { return show_rokuyo_; }  // false
  void SetShowRokuyo(bool value);

  // Rows including the header row.
  virtual int GetRowCount() const;
  // Day in column 0 of the first week row.
  virtual JuliusDay GetFirstCellDay() const;
  // Cell (col, row) of the client area, in client coordinates.
  QRect CellRect(int col, int row) const;
  // Cell under a client point, clamped to the grid.
  virtual TGridCell CellAt(int x, int y) const;

  void DrawImage() override;

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

  TDayOfWeek first_day_of_week_ = dowSun;
  QColor neighbor_color_{192, 192, 192};
  QColor day_of_week_bk_color_{0, 0, 128};
  bool show_neighbor_ = false;
  bool neighbor_jump_ = false;
  bool auto_resize_ = true;
  bool first_row_first_day_ = false;
  bool last_row_last_day_ = false;
  bool show_rokuyo_ = false;
};

// The week list: seven horizontal strips for the week of the selected day, each a date caption
// followed by the day's names, drawn by the control or handed to the owner (OnDrawDayCell).
class TWeeklyCalendar;

// Sender; the painter of the off-screen image, already set to the day's font and colour with
// no background fill; DayText, the caption ("7/13(金) "); MainText, the day's names as CP932
// comma text (GetDayText); the strip in client coordinates; Row, 0..6 from the top.
using TOnDrawDayCell =
    std::function<void(TWeeklyCalendar& Sender, QPainter& Canvas, const QString& DayText,
                       const std::string& MainText, QRect& ARect, int32_t Row)>;

class TWeeklyCalendar : public TCustomCalendarEx {
  Q_OBJECT

 public:
  // Color starts as the tooltip background, BorderColor as the tooltip text colour.
  explicit TWeeklyCalendar(QWidget* parent = nullptr);

  TDayOfWeek FirstDayOfWeek() const { return first_day_of_week_; }
  void SetFirstDayOfWeek(TDayOfWeek value);  // redraws when changed
  QColor BorderColor() const { return border_color_; }
  void SetBorderColor(QColor value);  // redraws when changed
  // When false the owner's OnDrawDayCell draws the texts (stored only; takes effect on the
  // next redraw).
  bool DefaultDrawing() const { return default_drawing_; }
  void SetDefaultDrawing(bool value) { default_drawing_ = value; }
  TOnDrawDayCell OnDrawDayCell;

  // Day of the top strip.
  virtual JuliusDay GetWeekStart() const;
  // The caption of a day: month "/" day "(" short weekday name ") ".
  QString DayCaption(int32_t y, uint8_t m, uint8_t d, int row) const;

  void DrawImage() override;

 protected:
  virtual void DrawCell(QPainter& painter, int row, const QRect& rect);

  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TDayOfWeek first_day_of_week_ = dowSun;
  QColor border_color_;
  bool default_drawing_ = true;
};

}  // namespace moriva
