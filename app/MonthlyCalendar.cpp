#include "app/MonthlyCalendar.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "base/Cp932.h"
#include "calendar/OldCalendar.h"
#include "calendar/SeasonalDays.h"

namespace moriva {

namespace {

// The neighbouring months' days are blended with silver; the weekday header is navy.
const QColor kNeighborColor(192, 192, 192);
const QColor kDayOfWeekBkColor(0, 0, 128);

// Days of the neighbouring months are drawn lighter: every colour channel OR the blend colour.
QColor OrBlend(QColor color, QColor blend) {
  return QColor(color.red() | blend.red(), color.green() | blend.green(),
                color.blue() | blend.blue());
}

QRect ToQRect(const TGridRect& r) {
  return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

}  // namespace

TMonthlyCalendar::TMonthlyCalendar(const TScheduleModel& model, QWidget* parent)
    : TCalendarView(model, parent) {}

QFont TMonthlyCalendar::RokuyoFontFor(int cellWidth) const {
  QFont font = Fonts().Font(cfRokuyo).Font();
  if (font.key() != fitted_key_) {
    fitted_.clear();
    fitted_key_ = font.key();
  }
  if (auto it = fitted_.constFind(cellWidth); it != fitted_.constEnd()) return *it;
  static const QStringList names = [] {
    QStringList all;
    for (int i = 1; i <= 6; ++i) all << QString::fromStdU16String(Cp932ToUtf16(RokuyoNames[i]));
    return all;
  }();
  auto widest = [&names](const QFont& f) {
    const QFontMetrics metrics(f);
    int w = 0;
    for (const QString& name : names) w = std::max(w, metrics.horizontalAdvance(name));
    return w;
  };
  const int room = cellWidth - 2;
  // All six names shrink together, so every cell shows them at one size.
  for (int pixels = std::abs(Fonts().Font(cfRokuyo).Height(logicalDpiY()));
       pixels > 6 && widest(font) > room;)
    font.setPixelSize(--pixels);
  fitted_.insert(cellWidth, font);
  return font;
}

TMonthlyCalendar::TStrip TMonthlyCalendar::StripFor(JuliusDay z, int cellWidth) const {
  const uint8_t rokuyo = show_rokuyo_ ? RokuyoOf(z) : 0;
  const QString names = show_seasonal_ && !SeasonalDaysOn(z).empty()
                            ? QString::fromStdU16String(Cp932ToUtf16(SeasonalDayText(z, " ")))
                            : QString();
  TStrip strip{rokuyo ? QString::fromStdU16String(Cp932ToUtf16(RokuyoNames[rokuyo])) : QString(),
               RokuyoFontFor(cellWidth)};
  if (names.isEmpty()) return strip;
  const int room = cellWidth - 2;
  // Smaller type for the names where it must be. Both rokuyo and names only while they keep
  // three quarters of the rokuyo's size; otherwise the names take the strip, as a printed
  // calendar puts the solar term in the rokuyo's place.
  const int fitted = QFontInfo(strip.Font).pixelSize();
  auto shrink = [room, fitted](QFont font, const QString& text, int smallest) {
    for (int pixels = fitted;
         pixels > smallest && QFontMetrics(font).horizontalAdvance(text) > room;)
      font.setPixelSize(--pixels);
    return font;
  };
  if (!strip.Text.isEmpty()) {
    const QString both = strip.Text + u' ' + names;
    const QFont font = shrink(strip.Font, both, fitted * 3 / 4);
    if (QFontMetrics(font).horizontalAdvance(both) <= room) return {both, font};
  }
  strip.Font = shrink(strip.Font, names, 6);
  strip.Text = QFontMetrics(strip.Font).elidedText(names, Qt::ElideRight, room);
  return strip;
}

template <typename T>
void TMonthlyCalendar::Change(T& field, T value) {
  if (field == value) return;
  field = value;
  Redraw();
}

void TMonthlyCalendar::SetShowNeighbor(bool value) {
  Change(show_neighbor_, value);
}
void TMonthlyCalendar::SetAutoResize(bool value) {
  Change(auto_resize_, value);
}
void TMonthlyCalendar::SetShowRokuyo(bool value) {
  Change(show_rokuyo_, value);
}
void TMonthlyCalendar::SetShowSeasonalDays(bool value) {
  Change(show_seasonal_, value);
}

int TMonthlyCalendar::GetRowCount() const {
  return moriva::GetRowCount(Year(), Month(), kFirstDayOfWeek, auto_resize_, false, false);
}

JuliusDay TMonthlyCalendar::GetFirstCellDay() const {
  return moriva::GetFirstCellDay(Year(), Month(), kFirstDayOfWeek, false);
}

QRect TMonthlyCalendar::CellRect(int col, int row) const {
  return ToQRect(MonthCellRect(col, row, GetRowCount(), ClientWidth(), ClientHeight()));
}

TGridCell TMonthlyCalendar::CellAt(int x, int y) const {
  return MonthCellAt(x, y, ClientWidth(), ClientHeight(), GetRowCount());
}

void TMonthlyCalendar::DrawImage() {
  TCalendarView::DrawImage();
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
  const TCalendarFont& font = Fonts().DayOfWeek();
  painter.fillRect(rect, kDayOfWeekBkColor);
  const QString name = ShortDayName(ColumnWeekday(col, kFirstDayOfWeek));
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
  const TCalendarFont& font = GetDayFont(y, m, d);
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
    color = OrBlend(color, kNeighborColor);
  }
  painter.setFont(font.Font());
  painter.setPen(color);
  const QString number = QString::number(d);
  const TStrip stripText = StripFor(z, rect.width());
  if (stripText.Text.isEmpty()) {
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, number);
    return;
  }
  const TCalendarFont& rokuyoFont = Fonts().Rokuyo();
  const int h = std::abs(rokuyoFont.Height(painter.device()->logicalDpiY()));
  const QRect numberRect(rect.left(), rect.top(), rect.width(), rect.height() - h);
  painter.drawText(numberRect, Qt::AlignCenter | Qt::TextSingleLine, number);
  const QRect strip(rect.left(), numberRect.bottom() + 1, rect.width(), h);
  QColor rokuyoColor = rokuyoFont.Color();
  if (neighbor) {
    rokuyoColor = OrBlend(rokuyoColor, kNeighborColor);
  } else if (selected) {
    painter.fillRect(strip, selectedFill);
    rokuyoColor = Color();
  }
  painter.setFont(stripText.Font);
  painter.setPen(rokuyoColor);
  painter.drawText(strip, Qt::AlignCenter | Qt::TextSingleLine, stripText.Text);
}

void TMonthlyCalendar::mousePressEvent(QMouseEvent* event) {
  TCalendarView::mousePressEvent(event);
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
    TCalendarView::keyPressEvent(event);
  }
}

}  // namespace moriva
