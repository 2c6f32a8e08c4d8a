#include "app/WeekStrip.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "app/CalendarFonts.h"
#include "app/RepeatMark.h"
#include "base/Cp932.h"

namespace moriva {
namespace {

QString FromCp932(const std::string& text) {
  return QString::fromStdU16String(Cp932ToUtf16(text));
}

const TCalendarFont& EntryFont(const TDayEntry& e, const TCalendarFonts& fonts) {
  switch (e.Kind) {
    case TDayEntry::TKind::Holiday:
      return fonts.Font(cfHoliday);
    case TDayEntry::TKind::SpecialDay:
      return fonts.Font(cfSpecialDay);
    case TDayEntry::TKind::Item:
      break;
  }
  return fonts.Font(cfWeekday);
}

// Measures pieces on the strip's device; how many lines the strip holds and the room between
// two entries on one line (with the thin line in its middle).
struct TFlow {
  TFlow(const QRect& rect, QPaintDevice* device, const QFont& itemFont, int lineHeight)
      : Device(device), ItemFont(itemFont) {
    const QFontMetrics metrics(itemFont, device);
    Gap = metrics.horizontalAdvance(QChar(u'　')) * 3 / 4;
    BellWidth = metrics.height() * 4 / 5;
    Lines = std::max(1, rect.height() / lineHeight);
  }

  int Width(const TStripPiece& p) const {
    return (p.Bell ? BellWidth : 0) + QFontMetrics(p.Font, Device).horizontalAdvance(p.Text);
  }
  // The gap and 「ほか N 件」 after it.
  int MoreWidth(int hidden) const {
    return Gap + QFontMetrics(ItemFont, Device).horizontalAdvance(MoreEntriesText(hidden));
  }
  // Cuts the piece's text, marked with "…", to `width` pixels in all; false when not even a
  // character would be left.
  bool Elide(TStripPiece& p, int width) const {
    const QFontMetrics metrics(p.Font, Device);
    const int room = width - (p.Bell ? BellWidth : 0);
    if (room < metrics.horizontalAdvance(QStringLiteral("あ…"))) return false;
    p.Text = metrics.elidedText(p.Text, Qt::ElideRight, room);
    return true;
  }

  QPaintDevice* Device;
  QFont ItemFont;
  int Lines = 1;
  int Gap = 0;
  int BellWidth = 0;
};

void PaintBell(QPainter& painter, const QRect& box, QColor color) {
  const qreal s = std::min(box.width(), box.height()) * 0.85;
  const QPointF o(box.left() + (box.width() - s) / 2, box.top() + (box.height() - s) / 2);
  auto at = [&](qreal x, qreal y) { return o + QPointF(x * s, y * s); };
  QPainterPath bell;
  bell.moveTo(at(0.1, 0.78));
  bell.cubicTo(at(0.25, 0.7), at(0.22, 0.12), at(0.5, 0.12));
  bell.cubicTo(at(0.78, 0.12), at(0.75, 0.7), at(0.9, 0.78));
  bell.closeSubpath();
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(color);
  painter.drawPath(bell);
  painter.drawEllipse(QRectF(at(0.41, 0.8), at(0.59, 0.98)));
  painter.restore();
}

}  // namespace

QString MoreEntriesText(int hidden) {
  return QStringLiteral("ほか %1 件").arg(hidden);
}

TStripLayout LayOutStrip(const QRect& rect, QPaintDevice* device, const QString& caption,
                         const TCalendarFont& captionFont, const std::vector<TDayEntry>& entries,
                         const TCalendarFonts& fonts) {
  int lineHeight = QFontMetrics(captionFont.Font(), device).height();
  for (const TCalendarFont* f :
       {&fonts.Font(cfWeekday), &fonts.Font(cfHoliday), &fonts.Font(cfSpecialDay)})
    lineHeight = std::max(lineHeight, QFontMetrics(f->Font(), device).height());
  const TFlow flow(rect, device, fonts.Font(cfWeekday).Font(), lineHeight);

  TStripLayout layout;
  std::vector<int> lineOf;
  TStripPiece head{caption, captionFont.Font(), captionFont.Color(), false, {}};
  const int pad = flow.Gap / 4;
  head.Place = QRect(rect.left() + pad, 0, flow.Width(head), lineHeight);
  layout.Pieces.push_back(head);
  lineOf.push_back(0);
  const int indent = head.Place.right() + 1;  // later lines start under the first entry
  const int right = rect.right() + 1 - pad;

  const int n = static_cast<int>(entries.size());
  int line = 0, x = indent;
  bool lineEmpty = true;
  for (int i = 0; i < n;) {
    const TDayEntry& e = entries[static_cast<size_t>(i)];
    const TCalendarFont& font = EntryFont(e, fonts);
    TStripPiece piece{
        RepeatMarked(FromCp932(e.Text), e.Repeating), font.Font(), font.Color(), e.Alarm, {}};
    const bool lastLine = line == flow.Lines - 1;
    // On the last line, room is kept for the sign that would follow this entry.
    const int reserve = lastLine && i + 1 < n ? flow.MoreWidth(n - i - 1) : 0;
    const int start = lineEmpty ? x : x + flow.Gap;
    int width = flow.Width(piece);
    if (start + width + reserve > right) {
      if (!lineEmpty && !lastLine) {
        ++line;
        x = indent;
        lineEmpty = true;
        continue;
      }
      if (!lineEmpty || !flow.Elide(piece, right - start - reserve)) break;
      width = flow.Width(piece);
    }
    piece.Place = QRect(start, 0, width, lineHeight);
    layout.Pieces.push_back(piece);
    lineOf.push_back(line);
    x = start + width;
    lineEmpty = false;
    ++i;
  }
  layout.Hidden = n - (static_cast<int>(layout.Pieces.size()) - 1);
  if (layout.Hidden > 0) {
    const TCalendarFont& font = fonts.Font(cfWeekday);
    layout.More = {MoreEntriesText(layout.Hidden), font.Font(), font.Color(), false, {}};
    const int start = lineEmpty ? x : x + flow.Gap;
    layout.More.Place = QRect(start, 0, flow.Width(layout.More), lineHeight);
  }

  // The lines used, centred in the strip.
  const int used = line + 1;
  const int top = rect.top() + (rect.height() - used * lineHeight) / 2;
  for (size_t i = 0; i < layout.Pieces.size(); ++i)
    layout.Pieces[i].Place.moveTop(top + lineOf[i] * lineHeight);
  layout.More.Place.moveTop(top + line * lineHeight);
  return layout;
}

void PaintStrip(QPainter& painter, const TStripLayout& layout, QColor rule) {
  auto paint = [&painter](const TStripPiece& p) {
    QRect text = p.Place;
    if (p.Bell) {
      const int bell =
          p.Place.width() - QFontMetrics(p.Font, painter.device()).horizontalAdvance(p.Text);
      PaintBell(painter, QRect(p.Place.left(), p.Place.top(), bell, p.Place.height()), p.Color);
      text.setLeft(p.Place.left() + bell);
    }
    painter.setFont(p.Font);
    painter.setPen(p.Color);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                     p.Text);
  };
  // A thin line between two entries of one line, in the middle of the gap.
  auto separate = [&painter, rule](const TStripPiece& before, const TStripPiece& after) {
    if (before.Place.top() != after.Place.top()) return;
    const int x = (before.Place.right() + after.Place.left() + 1) / 2;
    const int inset = after.Place.height() / 5;
    painter.setPen(rule);
    painter.drawLine(x, after.Place.top() + inset, x, after.Place.bottom() - inset);
  };
  for (size_t i = 0; i < layout.Pieces.size(); ++i) {
    if (i > 1) separate(layout.Pieces[i - 1], layout.Pieces[i]);
    paint(layout.Pieces[i]);
  }
  if (layout.Hidden > 0) {
    if (layout.Pieces.size() > 1) separate(layout.Pieces.back(), layout.More);
    paint(layout.More);
  }
}

QString StripToolTip(const QString& caption, const std::vector<TDayEntry>& entries) {
  if (entries.empty()) return {};
  QString text = caption.trimmed();
  for (const TDayEntry& e : entries) {
    text += u'\n' + FromCp932(e.Text);
    if (e.Alarm) text += QStringLiteral("（アラーム）");
  }
  return text;
}

}  // namespace moriva
