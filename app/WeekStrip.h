#pragma once
// One day's strip of the week list as a day is read at a glance: the date caption, the day's
// holiday and special-day names in their colours, then its items ("09:30 件名 @場所", a bell
// before those whose alarm is on) in time order. The pieces flow over as many lines as the
// strip holds; when they do not all fit, the strip ends in 「ほか N 件」, and the tooltip
// lists the whole day, so nothing is ever dropped without a sign.
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <vector>

#include "schedule/ItemSummary.h"

class QPaintDevice;
class QPainter;

namespace moriva {

class TCalendarFonts;
class TCalendarFont;

struct TStripPiece {
  QString Text;  // as drawn: elided with "…" when even a line of its own is too short
  QFont Font;
  QColor Color;
  bool Bell = false;
  QRect Place;  // bell and text together
};

struct TStripLayout {
  std::vector<TStripPiece> Pieces;  // the caption, then the entries shown, in order
  int Hidden = 0;                   // entries left out at the end
  TStripPiece More;                 // 「ほか N 件」, when Hidden > 0
};

// Lays the caption (in `captionFont`) and the day's entries out in `rect` on `device`: names
// in the holiday or special-day font, items in the weekday font.
TStripLayout LayOutStrip(const QRect& rect, QPaintDevice* device, const QString& caption,
                         const TCalendarFont& captionFont, const std::vector<TDayEntry>& entries,
                         const TCalendarFonts& fonts);

// Paints a layout; `rule` is the colour of the thin lines between the pieces.
void PaintStrip(QPainter& painter, const TStripLayout& layout, QColor rule);

// The whole day as the tooltip lists it (plain text): the caption, then every entry on a line
// of its own, an item whose alarm is on marked （アラーム）. Empty for a day without entries.
QString StripToolTip(const QString& caption, const std::vector<TDayEntry>& entries);

// The text of the sign that ends a strip with `hidden` entries left out.
QString MoreEntriesText(int hidden);

}  // namespace moriva
