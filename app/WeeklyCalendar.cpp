#include "app/WeeklyCalendar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "base/Cp932.h"
#include "calendar/SeasonalDays.h"

namespace moriva {

TWeeklyCalendar::TWeeklyCalendar(const TScheduleModel& model, QWidget* parent)
    : TCalendarView(model, parent), border_color_(palette().color(QPalette::ToolTipText)) {
  SetColor(palette().color(QPalette::ToolTipBase));
}

void TWeeklyCalendar::SetBorderColor(QColor value) {
  if (value == border_color_) return;
  border_color_ = value;
  Redraw();
}

JuliusDay TWeeklyCalendar::GetWeekStart() const {
  return moriva::GetWeekStart(GetJuliusDay(), kFirstDayOfWeek);
}

QString TWeeklyCalendar::DayCaption(int32_t, uint8_t m, uint8_t d, int row) const {
  const QString name = ShortDayName(ColumnWeekday(row, kFirstDayOfWeek));
  return QStringLiteral("%1/%2(%3) ").arg(m).arg(d).arg(name);
}

void TWeeklyCalendar::SetShowSeasonalDays(bool value) {
  if (value == show_seasonal_) return;
  show_seasonal_ = value;
  Redraw();
}

QString TWeeklyCalendar::SeasonalSuffix(JuliusDay z) const {
  const std::string names = show_seasonal_ ? SeasonalDayText(z, Utf8ToCp932("・")) : "";
  return names.empty() ? QString() : u' ' + QString::fromStdU16String(Cp932ToUtf16(names));
}

void TWeeklyCalendar::DrawImage() {
  TCalendarView::DrawImage();
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
  const TCalendarFont& font = GetDayFont(y, m, d);
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
    painter.drawText(
        rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
        dayText + QString::fromStdU16String(Cp932ToUtf16(mainText)) + SeasonalSuffix(z));
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
  TCalendarView::mousePressEvent(event);
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
      TCalendarView::keyPressEvent(event);
      return;
  }
  event->accept();
}

}  // namespace moriva
