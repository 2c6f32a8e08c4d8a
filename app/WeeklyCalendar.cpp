#include "app/WeeklyCalendar.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>
#include <QToolTip>

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

void TWeeklyCalendar::SetLayout(TWeekListLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  strips_ = {};
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
  const QString dayText = DayCaption(y, m, d, row);
  painter.save();
  painter.setBrush(Qt::NoBrush);
  painter.setBackgroundMode(Qt::TransparentMode);
  if (layout_ == TWeekListLayout::ByTime) {
    // A light tint marks the selected day, so that every name keeps its colour.
    if (z == GetJuliusDay()) {
      QColor tint = palette().color(QPalette::Highlight);
      tint.setAlpha(70);
      painter.fillRect(rect, tint);
    }
    strips_[static_cast<size_t>(row)] =
        LayOutStrip(rect, painter.device(), dayText, DayKindFont(GetDayState(y, m, d)),
                    Entries(y, m, d), Fonts());
    // The lines between the entries, lighter than the strips' borders.
    QColor rule = border_color_;
    rule.setAlpha(110);
    PaintStrip(painter, strips_[static_cast<size_t>(row)], rule);
  } else {
    const TCalendarFont& font = GetDayFont(y, m, d);
    QColor color = font.Color();
    if (z == GetJuliusDay()) {
      painter.fillRect(rect, color);
      color = Color();
    }
    painter.setFont(font.Font());
    painter.setPen(color);
    const std::string mainText = GetDayText(y, m, d);
    if (default_drawing_) {
      painter.drawText(
          rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
          dayText + QString::fromStdU16String(Cp932ToUtf16(mainText)) + SeasonalSuffix(z));
    } else if (OnDrawDayCell) {
      QRect cellRect = rect;
      OnDrawDayCell(*this, painter, dayText, mainText, cellRect, row);
    }
  }
  painter.restore();
  if (row != 6) {
    // On the first pixel row below the strip: a selected next strip, filled later, covers it.
    const int y = rect.top() + rect.height();
    painter.setPen(border_color_);
    painter.drawLine(rect.left(), y, rect.right(), y);
  }
}

std::vector<TDayEntry> TWeeklyCalendar::Entries(int32_t y, uint8_t m, uint8_t d) const {
  std::vector<TDayEntry> entries = DayEntries(Model().Rules().DayNames(y, m, d));
  // The solar term and seasonal days last: the day's own holidays and items come first.
  if (show_seasonal_)
    for (const TSeasonalDay& day : SeasonalDaysOn(DateToJulius(y, m, d)))
      entries.push_back({TDayEntry::TKind::SpecialDay, SeasonalDayNames[day.Name], false});
  return entries;
}

QString TWeeklyCalendar::DayToolTip(int row) const {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(GetWeekStart() + row, y, m, d);
  return StripToolTip(DayCaption(y, m, d, row), Entries(y, m, d));
}

bool TWeeklyCalendar::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip || layout_ != TWeekListLayout::ByTime)
    return TCalendarView::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QPoint p = ToClient(help->pos());
  const int row = WeekStripAt(p.y(), ClientHeight());
  const QString tip = p.y() >= 0 && p.y() < ClientHeight() ? DayToolTip(row) : QString();
  if (tip.isEmpty()) {
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  // Subjects are the user's text, never markup; the tip stays while the mouse is on the strip.
  const TGridRect r = WeekStripRect(row, ClientWidth(), ClientHeight());
  const QRect strip =
      QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top).translated(contentsRect().topLeft());
  QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(tip, Qt::WhiteSpaceNoWrap), this,
                     strip);
  return true;
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
