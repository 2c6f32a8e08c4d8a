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
#include "schedule/DayCellLines.h"

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

// The subjects' small type is half the day number's height, but never below what can be read.
constexpr int kSmallestItemPixels = 9;
// The subjects start this many pixels inside the cell.
constexpr int kItemIndent = 2;

// The mark of a day with items: a bar under the number, as thick as a bold underline.
int MarkThickness(const QFontMetrics& metrics) {
  return std::max(2, metrics.height() / 10);
}

// The day number's line with its mark below, where the cells list subjects.
int NumberHeight(const QFont& font, const QPaintDevice* device) {
  const QFontMetrics metrics(font, device);
  return metrics.height() + MarkThickness(metrics) + 1;
}

// The bar, as wide as the number, in the descent below its baseline.
void DrawMark(QPainter& painter, const QRect& numberRect, const QString& number, QColor color) {
  const QFontMetrics metrics(painter.font(), painter.device());
  const int width = metrics.horizontalAdvance(number);
  const int top =
      numberRect.top() + (numberRect.height() - metrics.height()) / 2 + metrics.ascent() + 1;
  painter.fillRect(QRect(numberRect.center().x() - width / 2, top, width, MarkThickness(metrics)),
                   color);
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

TMonthlyCalendar::TItemLayout TMonthlyCalendar::ItemLayout() const {
  TItemLayout layout;
  const int dpi = logicalDpiY();
  const TCalendarFont& number = Fonts().Font(cfWeekday);
  layout.Font = number.Font();
  layout.Font.setBold(false);
  layout.Font.setUnderline(false);
  layout.Font.setPixelSize(std::max(kSmallestItemPixels, number.Height(dpi) / 2));
  const QFontMetrics small(layout.Font, this);
  layout.LineHeight = small.height();
  // A subject needs a few characters' width to say anything.
  if (ClientWidth() / 7 < 3 * layout.Font.pixelSize()) return layout;
  // Room for the strip under the number whenever it may be drawn, so the lines stay put from
  // day to day.
  const int strip =
      show_rokuyo_ || show_seasonal_ ? std::abs(Fonts().Font(cfRokuyo).Height(dpi)) : 0;
  const int room = ClientHeight() / GetRowCount() - NumberHeight(number.Font(), this) - strip;
  layout.Lines = std::max(0, room / layout.LineHeight);
  return layout;
}

int TMonthlyCalendar::ItemLines() const {
  return ItemLayout().Lines;
}

TMonthlyCalendar::TCellLook TMonthlyCalendar::CellLook(JuliusDay z) const {
  const auto [y, m, d] = DateOf(z);
  const TDayState state = GetDayState(y, m, d);
  const TCalendarFont& kind = DayKindFont(state);
  const TCalendarFont& special = Fonts().Font(cfSpecialDay);
  TCellLook look;
  look.Font = kind.Font();
  look.Number = kind.Color();
  look.Items = special.Color();
  if (state.Has(dsSpecialDay)) {
    // The special-day font's face and weight, its underline left to the mark.
    look.Font = special.Font();
    look.Font.setUnderline(false);
    look.Mark = special.Color();
  }
  if (m != Month()) {
    look.Drawn = show_neighbor_;
    look.Number = OrBlend(look.Number, kNeighborColor);
    if (look.Mark) look.Mark = OrBlend(*look.Mark, kNeighborColor);
    look.Items = OrBlend(look.Items, kNeighborColor);
  } else if (y == Year() && d == Day()) {
    look.Fill = look.Number;
    look.Number = Color();
    if (look.Mark) look.Mark = Color();
    look.Items = Color();
  }
  return look;
}

void TMonthlyCalendar::DrawImage() {
  TCalendarView::DrawImage();
  if (Image().isNull()) return;
  item_layout_ = ItemLayout();
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
  const TYmd date = DateOf(z);
  const TCellLook look = CellLook(z);
  if (!look.Drawn) return;
  if (look.Fill) painter.fillRect(rect, *look.Fill);
  const TStrip stripText = StripFor(z, rect.width());
  const TCalendarFont& rokuyoFont = Fonts().Rokuyo();
  const int h =
      stripText.Text.isEmpty() ? 0 : std::abs(rokuyoFont.Height(painter.device()->logicalDpiY()));
  // Above the rokuyo strip: the number, centred while the cells are small, at the top with the
  // subjects under it once they are tall enough to list them.
  const QRect body(rect.left(), rect.top(), rect.width(), rect.height() - h);
  QRect numberRect = body;
  if (item_layout_.Lines > 0) numberRect.setHeight(NumberHeight(look.Font, painter.device()));
  painter.setFont(look.Font);
  painter.setPen(look.Number);
  const QString number = QString::number(date.d);
  painter.drawText(numberRect, Qt::AlignCenter | Qt::TextSingleLine, number);
  if (look.Mark) {
    DrawMark(painter, numberRect, number, *look.Mark);
    if (item_layout_.Lines > 0)
      DrawItems(painter, date,
                QRect(body.left(), numberRect.bottom() + 1, body.width(),
                      body.bottom() - numberRect.bottom()),
                look);
  }
  if (stripText.Text.isEmpty()) return;
  const QRect strip(rect.left(), body.bottom() + 1, rect.width(), h);
  QColor rokuyoColor = rokuyoFont.Color();
  if (look.Fill) {
    rokuyoColor = Color();
  } else if (date.m != Month()) {
    rokuyoColor = OrBlend(rokuyoColor, kNeighborColor);
  }
  painter.setFont(stripText.Font);
  painter.setPen(rokuyoColor);
  painter.drawText(strip, Qt::AlignCenter | Qt::TextSingleLine, stripText.Text);
}

void TMonthlyCalendar::DrawItems(QPainter& painter, const TYmd& date, const QRect& area,
                                 const TCellLook& look) {
  const std::vector<std::string> lines =
      DayCellLines(GetDayText(date.y, date.m, date.d), item_layout_.Lines);
  if (lines.empty()) return;
  painter.save();
  painter.setClipRect(area);
  painter.setFont(item_layout_.Font);
  painter.setPen(look.Items);
  const QFontMetrics metrics(item_layout_.Font, painter.device());
  QRect line(area.left() + kItemIndent, area.top(), area.width() - 2 * kItemIndent,
             item_layout_.LineHeight);
  for (const std::string& text : lines) {
    const QString shown = metrics.elidedText(QString::fromStdU16String(Cp932ToUtf16(text)),
                                             Qt::ElideRight, line.width());
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    line.translate(0, item_layout_.LineHeight);
  }
  painter.restore();
}

void TMonthlyCalendar::mousePressEvent(QMouseEvent* event) {
  TCalendarView::mousePressEvent(event);
  event->accept();  // the press is ours, also on the header, not the parent's
  const QPoint p = ToClient(event->position().toPoint());
  const TGridCell cell = CellAt(p.x(), p.y());
  if (cell.Row == 0) return;  // the weekday header selects nothing
  const JuliusDay z = MonthCellDay(GetFirstCellDay(), cell.Col, cell.Row);
  if (DateOf(z).m == Month() || neighbor_jump_) SetJuliusDay(z);
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
