#include "calendar/CalEx.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "base/Cp932.h"
#include "calendar/OldCalendar.h"

namespace moriva {

int TCalExFont::Height(int dpi) const {
  if (font_.pixelSize() > 0) return font_.pixelSize();
  return static_cast<int>(std::lround(font_.pointSizeF() * dpi / 72.0));
}

void TCalExFont::Change(const QFont& font, QColor color) {
  if (font == font_ && font.resolveMask() == font_.resolveMask() && color == color_) return;
  font_ = font;
  color_ = color;
  if (OnChange) OnChange();
}

template <typename Edit>
void TCalExFont::Modify(Edit edit) {
  QFont f = font_;
  edit(f);
  Change(f, color_);
}

void TCalExFont::SetFont(const QFont& font) {
  Change(font, color_);
}

void TCalExFont::SetColor(QColor color) {
  Change(font_, color);
}

void TCalExFont::SetFamily(const QString& family) {
  Modify([&](QFont& f) { f.setFamily(family); });
}

void TCalExFont::SetHeight(int pixels) {
  Modify([&](QFont& f) { f.setPixelSize(pixels); });
}

void TCalExFont::SetPointSize(int points) {
  Modify([&](QFont& f) { f.setPointSize(points); });
}

void TCalExFont::SetBold(bool bold) {
  Modify([&](QFont& f) { f.setBold(bold); });
}

void TCalExFont::SetItalic(bool italic) {
  Modify([&](QFont& f) { f.setItalic(italic); });
}

void TCalExFont::SetUnderline(bool underline) {
  Modify([&](QFont& f) { f.setUnderline(underline); });
}

void TCalExFont::Assign(const TCalExFont& other) {
  Change(other.font_, other.color_);
}

TCalExFonts::TCalExFonts() {
  fonts_[cfDayOfWeek].SetColor(Qt::white);
  fonts_[cfHoliday].SetColor(QColor(255, 0, 0));
  fonts_[cfSunday].SetColor(QColor(255, 0, 0));
  fonts_[cfSaturday].SetColor(QColor(0, 0, 255));
  fonts_[cfSpecialDay].SetColor(QColor(0, 128, 0));
  fonts_[cfRokuyo].SetPointSize(10);
  for (TCalExFont& f : fonts_) f.OnChange = [this] { Notify(); };
}

void TCalExFonts::Notify() {
  if (!quiet_ && OnChange) OnChange();
}

void TCalExFonts::SetFont(TCalExFontIndex index, const TCalExFont& font) {
  const TCalExFont copy(font);  // `font` may be one of ours and change under the loop
  quiet_ = true;
  if (Synchronize) {
    for (TCalExFont& f : fonts_) f.Assign(copy);
  } else {
    fonts_[index].Assign(copy);
  }
  quiet_ = false;
  Notify();
}

void TCalExFonts::Assign(const TCalExFonts& other) {
  quiet_ = true;
  for (int i = 0; i < CalExFontCount; ++i) fonts_[i].Assign(other.fonts_[i]);
  quiet_ = false;
  Notify();
}

TCustomCalendarEx::TCustomCalendarEx(QWidget* parent)
    : QFrame(parent), julius_day_(TodayJulius()), color_(palette().color(QPalette::Base)) {
  // The sunken client edge of the control; the image fills what lies inside it.
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setFocusPolicy(Qt::StrongFocus);
  // Paint copies the image over the whole client area, so nothing needs erasing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  fonts_.OnChange = [this] { Redraw(); };
  holiday_list_.OnChange = [this] { ListChanged(); };
  special_day_list_.OnChange = [this] { ListChanged(); };
  BuildDayLists();
}

TCustomCalendarEx::~TCustomCalendarEx() {
  // The lists outlive nothing, but a change while members are torn down must not call back.
  holiday_list_.OnChange = nullptr;
  special_day_list_.OnChange = nullptr;
  fonts_.OnChange = nullptr;
}

namespace {

struct TYmd {
  int32_t y;
  uint8_t m, d;
};

TYmd DateOf(JuliusDay z) {
  TYmd r;
  JuliusToDate(z, r.y, r.m, r.d);
  return r;
}

}  // namespace

void TCustomCalendarEx::SetJuliusDay(JuliusDay day) {
  if (day == julius_day_) return;
  julius_day_ = day;
  Redraw();
  const TYmd date = DateOf(julius_day_);
  DayChange(date.y, date.m, date.d);
}

int32_t TCustomCalendarEx::Year() const {
  return DateOf(julius_day_).y;
}

uint8_t TCustomCalendarEx::Month() const {
  return DateOf(julius_day_).m;
}

uint8_t TCustomCalendarEx::Day() const {
  return DateOf(julius_day_).d;
}

void TCustomCalendarEx::SetValidDate(int32_t y, uint8_t m, uint8_t d) {
  if (IsValidDate(y, m, d)) SetJuliusDay(DateToJulius(y, m, d));
}

void TCustomCalendarEx::SetYear(int32_t year) {
  SetValidDate(year, Month(), Day());
}

void TCustomCalendarEx::SetMonth(uint8_t month) {
  SetValidDate(Year(), month, Day());
}

void TCustomCalendarEx::SetDay(uint8_t day) {
  SetValidDate(Year(), Month(), day);
}

void TCustomCalendarEx::SetDate(int32_t y, uint8_t m, uint8_t d) {
  SetJuliusDay(DateToJulius(y, m, d));
}

void TCustomCalendarEx::GoToday() {
  SetJuliusDay(TodayJulius());
}

void TCustomCalendarEx::StepMonth(int delta) {
  const TYmd date = DateOf(julius_day_);
  const int months = date.y * 12 + (date.m - 1) + delta;  // counted from January of year 0
  const int32_t y = months >= 0 ? months / 12 : (months - 11) / 12;
  const uint8_t m = static_cast<uint8_t>(months - y * 12 + 1);
  SetJuliusDay(DateToJulius(y, m, std::min(date.d, DaysInMonth(y, m))));
}

void TCustomCalendarEx::SetList(TLineList& list, const TLineList& lines) {
  list.Assign(lines);  // its change notice rebuilds and redraws
}

void TCustomCalendarEx::SetHolidayList(const TLineList& lines) {
  SetList(holiday_list_, lines);
}

void TCustomCalendarEx::SetSpecialDayList(const TLineList& lines) {
  SetList(special_day_list_, lines);
}

void TCustomCalendarEx::ListChanged() {
  BuildDayLists();
  Redraw();
}

void TCustomCalendarEx::BuildDayLists() {
  std::vector<std::string> faulty = rules_.Build(holiday_list_, special_day_list_);
  const bool report = !faulty.empty() && faulty != faulty_lines_;
  faulty_lines_ = std::move(faulty);
  if (report && OnDayListError) OnDayListError(*this, faulty_lines_);
}

void TCustomCalendarEx::SetFonts(const TCalExFonts& fonts) {
  fonts_.Assign(fonts);  // notifies, which redraws
}

void TCustomCalendarEx::SetColor(QColor color) {
  if (color == color_) return;
  color_ = color;
  Redraw();
}

void TCustomCalendarEx::SetAutoEquinox(bool on) {
  if (on == rules_.AutoEquinox) return;
  rules_.AutoEquinox = on;
  Redraw();
}

void TCustomCalendarEx::SetAutoFurikae(bool on) {
  if (on == rules_.AutoFurikae) return;
  rules_.AutoFurikae = on;
  Redraw();
}

void TCustomCalendarEx::DayChange(int32_t y, uint8_t m, uint8_t d) {
  if (OnDayChange) OnDayChange(*this, y, m, d);
}

TDayState TCustomCalendarEx::GetDayState(int32_t y, uint8_t m, uint8_t d) const {
  return rules_.DayState(y, m, d);
}

const TCalExFont& TCustomCalendarEx::GetDayFont(int32_t y, uint8_t m, uint8_t d) const {
  const TDayState s = GetDayState(y, m, d);
  TCalExFontIndex index = cfWeekday;
  if (s.Has(dsSaturday)) {
    index = cfSaturday;
  } else if (s.Has(dsSunday)) {
    index = cfSunday;
  }
  if (s.Has(dsHoliday) || s.Has(dsFurikae)) index = cfHoliday;
  if (s.Has(dsSpecialDay)) index = cfSpecialDay;
  return fonts_.Font(index);
}

std::string TCustomCalendarEx::GetDayText(int32_t y, uint8_t m, uint8_t d) const {
  return rules_.DayText(y, m, d);
}

bool TCustomCalendarEx::ImageReady() {
  const QSize size = contentsRect().size();
  if (size.isEmpty()) {
    image_ = QImage();
    return false;
  }
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  return true;
}

void TCustomCalendarEx::DrawImage() {
  if (!ImageReady()) return;
  image_.fill(color_);
}

QString TCustomCalendarEx::ShortDayName(int weekday) const {
  // Qt numbers the weekdays 1 = Monday .. 7 = Sunday.
  return locale().dayName(weekday == 0 ? 7 : weekday, QLocale::ShortFormat);
}

void TCustomCalendarEx::Redraw() {
  DrawImage();
  update();
}

void TCustomCalendarEx::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);  // the sunken edge
  if (image_.size() != contentsRect().size()) DrawImage();
  QPainter painter(this);
  painter.drawImage(contentsRect().topLeft(), image_);
}

void TCustomCalendarEx::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  DrawImage();
}

void TCustomCalendarEx::mouseDoubleClickEvent(QMouseEvent* event) {
  QFrame::mouseDoubleClickEvent(event);  // a press, which selects the day under the mouse
  if (OnDblClick) OnDblClick(*this);
}

void TCustomCalendarEx::KeyDown(QKeyEvent* event) {
  if (OnKeyDown) OnKeyDown(*this, event);
}

namespace {

// Days of the neighbouring months are drawn lighter: every colour channel OR the blend colour.
QColor OrBlend(QColor color, QColor blend) {
  return QColor(color.red() | blend.red(), color.green() | blend.green(),
                color.blue() | blend.blue());
}

QRect ToQRect(const TGridRect& r) {
  return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

}  // namespace

TMonthlyCalendar::TMonthlyCalendar(QWidget* parent) : TCustomCalendarEx(parent) {}

template <typename T>
void TMonthlyCalendar::Change(T& field, T value) {
  if (field == value) return;
  field = value;
  Redraw();
}

void TMonthlyCalendar::SetFirstDayOfWeek(TDayOfWeek value) {
  Change(first_day_of_week_, value);
}
void TMonthlyCalendar::SetNeighborColor(QColor value) {
  Change(neighbor_color_, value);
}
void TMonthlyCalendar::SetDayOfWeekBkColor(QColor value) {
  Change(day_of_week_bk_color_, value);
}
void TMonthlyCalendar::SetShowNeighbor(bool value) {
  Change(show_neighbor_, value);
}
void TMonthlyCalendar::SetAutoResize(bool value) {
  Change(auto_resize_, value);
}
void TMonthlyCalendar::SetFirstRowFirstDay(bool value) {
  Change(first_row_first_day_, value);
}
void TMonthlyCalendar::SetLastRowLastDay(bool value) {
  Change(last_row_last_day_, value);
}
void TMonthlyCalendar::SetShowRokuyo(bool value) {
  Change(show_rokuyo_, value);
}

int TMonthlyCalendar::GetRowCount() const {
  return moriva::GetRowCount(Year(), Month(), first_day_of_week_, auto_resize_,
                             first_row_first_day_, last_row_last_day_);
}

JuliusDay TMonthlyCalendar::GetFirstCellDay() const {
  return moriva::GetFirstCellDay(Year(), Month(), first_day_of_week_, first_row_first_day_);
}

QRect TMonthlyCalendar::CellRect(int col, int row) const {
  return ToQRect(MonthCellRect(col, row, GetRowCount(), ClientWidth(), ClientHeight()));
}

TGridCell TMonthlyCalendar::CellAt(int x, int y) const {
  return MonthCellAt(x, y, ClientWidth(), ClientHeight(), GetRowCount());
}

void TMonthlyCalendar::DrawImage() {
  TCustomCalendarEx::DrawImage();
  if (Image().isNull()) return;
  QPainter painter(&MutableImage());
  const int rows = GetRowCount();
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < 7; ++col) {
      DrawCell(painter, col, row,
               ToQRect(MonthCellRect(col, row, rows, Image().width(), Image().height())));
    }
  }
}

void TMonthlyCalendar::DrawCell(QPainter& painter, int col, int row, const QRect& rect) {
  if (row == 0) {
    DrawHeaderCell(painter, col, rect);
  } else {
    DrawDayCell(painter, col, row, rect, GetFirstCellDay());
  }
}

void TMonthlyCalendar::DrawHeaderCell(QPainter& painter, int col, const QRect& rect) {
  const TCalExFont& font = Fonts().DayOfWeek();
  painter.fillRect(rect, day_of_week_bk_color_);
  const QString name = ShortDayName(ColumnWeekday(col, first_day_of_week_));
  painter.setFont(font.Font());
  painter.setPen(font.Color());
  painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, name);
}

void TMonthlyCalendar::DrawDayCell(QPainter& painter, int col, int row, const QRect& rect,
                                   JuliusDay first) {
  const JuliusDay z = MonthCellDay(first, col, row);
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  const TCalExFont& font = GetDayFont(y, m, d);
  QColor color = font.Color();
  QColor selectedFill;  // the fill of the selected day, which the rokuyo strip repeats
  const bool neighbor = m != Month();
  const bool selected = !neighbor && y == Year() && d == Day();
  if (selected) {
    painter.fillRect(rect, color);
    selectedFill = color;
    color = Color();
  } else if (neighbor) {
    if (!show_neighbor_) return;
    color = OrBlend(color, neighbor_color_);
  }
  painter.setFont(font.Font());
  painter.setPen(color);
  const QString number = QString::number(d);
  const uint8_t rokuyo = show_rokuyo_ ? RokuyoOf(z) : 0;
  if (rokuyo == 0) {
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, number);
    return;
  }
  const TCalExFont& rokuyoFont = Fonts().Rokuyo();
  const int h = std::abs(rokuyoFont.Height(painter.device()->logicalDpiY()));
  const QRect numberRect(rect.left(), rect.top(), rect.width(), rect.height() - h);
  painter.drawText(numberRect, Qt::AlignCenter | Qt::TextSingleLine, number);
  const QRect strip(rect.left(), numberRect.bottom() + 1, rect.width(), h);
  QColor rokuyoColor = rokuyoFont.Color();
  if (neighbor) {
    rokuyoColor = OrBlend(rokuyoColor, neighbor_color_);
  } else if (selected) {
    painter.fillRect(strip, selectedFill);
    rokuyoColor = Color();
  }
  painter.setFont(rokuyoFont.Font());
  painter.setPen(rokuyoColor);
  painter.drawText(strip, Qt::AlignCenter | Qt::TextSingleLine,
                   QString::fromStdU16String(Cp932ToUtf16(RokuyoNames[rokuyo])));
}

void TMonthlyCalendar::mousePressEvent(QMouseEvent* event) {
  TCustomCalendarEx::mousePressEvent(event);
  event->accept();  // the press is ours, also on the header, not the parent's
  const QPoint p = ToClient(event->position().toPoint());
  const TGridCell cell = CellAt(p.x(), p.y());
  if (cell.Row == 0) return;  // the weekday header selects nothing
  const JuliusDay z = MonthCellDay(GetFirstCellDay(), cell.Col, cell.Row);
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  if (m == Month() || neighbor_jump_) SetJuliusDay(z);
}

void TMonthlyCalendar::keyPressEvent(QKeyEvent* event) {
  bool moved = true;
  switch (event->key()) {
    case Qt::Key_Right:
      NextDay();
      break;
    case Qt::Key_Left:
      PrevDay();
      break;
    case Qt::Key_Up:
      PrevWeek();
      break;
    case Qt::Key_Down:
      NextWeek();
      break;
    case Qt::Key_PageUp:
      PrevMonth();
      break;
    case Qt::Key_PageDown:
      NextMonth();
      break;
    default:
      moved = false;
  }
  KeyDown(event);
  if (moved) {
    event->accept();
  } else {
    TCustomCalendarEx::keyPressEvent(event);
  }
}

TWeeklyCalendar::TWeeklyCalendar(QWidget* parent)
    : TCustomCalendarEx(parent), border_color_(palette().color(QPalette::ToolTipText)) {
  SetColor(palette().color(QPalette::ToolTipBase));
}

void TWeeklyCalendar::SetFirstDayOfWeek(TDayOfWeek value) {
  if (value == first_day_of_week_) return;
  first_day_of_week_ = value;
  Redraw();
}

void TWeeklyCalendar::SetBorderColor(QColor value) {
  if (value == border_color_) return;
  border_color_ = value;
  Redraw();
}

JuliusDay TWeeklyCalendar::GetWeekStart() const {
  return moriva::GetWeekStart(GetJuliusDay(), first_day_of_week_);
}

QString TWeeklyCalendar::DayCaption(int32_t, uint8_t m, uint8_t d, int row) const {
  const QString name = ShortDayName(ColumnWeekday(row, first_day_of_week_));
  return QStringLiteral("%1/%2(%3) ").arg(m).arg(d).arg(name);
}

void TWeeklyCalendar::DrawImage() {
  TCustomCalendarEx::DrawImage();
  if (Image().isNull()) return;
  QPainter painter(&MutableImage());
  for (int row = 0; row < 7; ++row) {
    const TGridRect r = WeekStripRect(row, Image().width(), Image().height());
    DrawCell(painter, row, QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top));
  }
}

void TWeeklyCalendar::DrawCell(QPainter& painter, int row, const QRect& rect) {
  const JuliusDay z = GetWeekStart() + row;
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  const TCalExFont& font = GetDayFont(y, m, d);
  QColor color = font.Color();
  if (z == GetJuliusDay()) {
    painter.fillRect(rect, color);
    color = Color();
  }
  painter.save();
  painter.setFont(font.Font());
  painter.setPen(color);
  painter.setBrush(Qt::NoBrush);
  painter.setBackgroundMode(Qt::TransparentMode);
  const QString dayText = DayCaption(y, m, d, row);
  const std::string mainText = GetDayText(y, m, d);
  if (default_drawing_) {
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                     dayText + QString::fromStdU16String(Cp932ToUtf16(mainText)));
  } else if (OnDrawDayCell) {
    QRect cellRect = rect;
    OnDrawDayCell(*this, painter, dayText, mainText, cellRect, row);
  }
  painter.restore();
  if (row != 6) {
    // On the first pixel row below the strip: a selected next strip, filled later, covers it.
    const int y = rect.top() + rect.height();
    painter.setPen(border_color_);
    painter.drawLine(rect.left(), y, rect.right(), y);
  }
}

void TWeeklyCalendar::mousePressEvent(QMouseEvent* event) {
  TCustomCalendarEx::mousePressEvent(event);
  event->accept();
  const QPoint p = ToClient(event->position().toPoint());
  SetJuliusDay(GetWeekStart() + WeekStripAt(p.y(), ClientHeight()));
}

void TWeeklyCalendar::keyPressEvent(QKeyEvent* event) {
  KeyDown(event);
  switch (event->key()) {
    case Qt::Key_Up:
      PrevDay();
      break;
    case Qt::Key_Down:
      NextDay();
      break;
    case Qt::Key_PageUp:
      PrevWeek();
      break;
    case Qt::Key_PageDown:
      NextWeek();
      break;
    default:
      TCustomCalendarEx::keyPressEvent(event);
      return;
  }
  event->accept();
}

}  // namespace moriva
