#include "app/PrintPages.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>

#include "app/RepeatMark.h"
#include "base/Cp932.h"

namespace moriva {

namespace {

QString FromCp932(const std::string& text) {
  return QString::fromStdU16String(Cp932ToUtf16(text));
}

// The program's Japanese face at a size in points, which a printer turns into its own pixels.
QFont PrintFont(double points, bool bold = false) {
  QFont font;
  font.setFamilies(QStringList{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                               QStringLiteral("IPAGothic")});
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

const QColor kHolidayRed(192, 0, 0);
const QColor kSaturdayBlue(0, 0, 192);
const QColor kSpecialGreen(0, 128, 0);
const QColor kNeighborGray(176, 176, 176);
const QColor kRuleGray(128, 128, 128);
const QColor kHeaderNavy(0, 0, 128);
const QColor kSeasonalBrown(128, 64, 0);

// The page's area for painting, in the painter's coordinates (the device's pixels).
QRect PageArea(QPagedPaintDevice& printer) {
  const QRect r = printer.pageLayout().paintRectPixels(printer.logicalDpiX());
  return QRect(0, 0, r.width(), r.height());
}

void PreparePage(QPagedPaintDevice& printer, QPageLayout::Orientation orientation) {
  // The paper the user chose in the print dialog, A4 when none was.
  QPageSize size = printer.pageLayout().pageSize();
  if (!size.isValid()) size = QPageSize(QPageSize::A4);
  printer.setPageLayout(
      QPageLayout(size, orientation, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
}

QColor DayColor(const TSheetDay& day) {
  if (!day.InMonth) return kNeighborGray;
  if (day.State.Has(dsHoliday) || day.State.Has(dsFurikae) || day.State.Has(dsSunday))
    return kHolidayRed;
  if (day.State.Has(dsSaturday)) return kSaturdayBlue;
  return Qt::black;
}

// A day's names below its number, as many lines as the cell holds; when they do not all fit
// the last line says how many are left out.
void PaintEntries(QPainter& painter, const TSheetDay& day, const QRect& area) {
  const QFontMetrics metrics(painter.font(), painter.device());
  const int lineHeight = metrics.height();
  const int fitting = std::max(0, area.height() / lineHeight);
  const int count = static_cast<int>(day.Entries.size());
  const int shown = count <= fitting ? count : std::max(0, fitting - 1);
  for (int i = 0; i < shown; ++i) {
    const TDayEntry& e = day.Entries[i];
    painter.setPen(e.Kind == TDayEntry::TKind::Holiday      ? kHolidayRed
                   : e.Kind == TDayEntry::TKind::SpecialDay ? kSpecialGreen
                                                            : QColor(Qt::black));
    const QRect line(area.left(), area.top() + i * lineHeight, area.width(), lineHeight);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(RepeatMarked(FromCp932(e.Text), e.Repeating),
                                        Qt::ElideRight, area.width()));
  }
  if (shown < count && fitting > 0) {
    painter.setPen(Qt::black);
    const QRect line(area.left(), area.top() + shown * lineHeight, area.width(), lineHeight);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QStringLiteral("ほか %1 件").arg(count - shown));
  }
}

// The solar term or seasonal days at the right of the number's line, where nothing else is;
// `numberWidth` is what the day number takes at the left.
void PaintSeasonal(QPainter& painter, const TSheetDay& day, const QRect& numberLine,
                   int numberWidth) {
  if (day.Seasonal.empty()) return;
  const QFontMetrics metrics(painter.font(), painter.device());
  const int room = numberLine.width() - numberWidth - metrics.horizontalAdvance(u' ');
  painter.setPen(kSeasonalBrown);
  painter.drawText(numberLine, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                   metrics.elidedText(FromCp932(day.Seasonal), Qt::ElideRight, room));
}

QString WeekdayName(int weekday) {
  static const char16_t* const kNames[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};
  return QString::fromUtf16(kNames[weekday]);
}

}  // namespace

void PrintMonthSheet(QPagedPaintDevice& printer, const TMonthSheet& sheet) {
  PreparePage(printer, QPageLayout::Landscape);
  QPainter painter(&printer);
  const QRect page = PageArea(printer);
  const int pad = printer.logicalDpiX() / 40;  // about 0.6 mm
  const QPen rule(kRuleGray, std::max(1, printer.logicalDpiX() / 150));

  painter.setFont(PrintFont(16, true));
  const int titleHeight = QFontMetrics(painter.font(), &printer).height() * 3 / 2;
  painter.setPen(Qt::black);
  painter.drawText(QRect(page.left(), page.top(), page.width(), titleHeight),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1年%2月").arg(sheet.Year).arg(sheet.Month));

  // The grid spans the page's whole width; the columns share it to within one pixel.
  auto columnLeft = [&](int col) { return page.left() + page.width() * col / 7; };
  painter.setFont(PrintFont(10, true));
  const int headerHeight = QFontMetrics(painter.font(), &printer).height() * 3 / 2;
  const int headerTop = page.top() + titleHeight;
  for (int col = 0; col < 7; ++col) {
    const QRect cell(columnLeft(col), headerTop, columnLeft(col + 1) - columnLeft(col),
                     headerHeight);
    painter.fillRect(cell, kHeaderNavy);
    painter.setPen(Qt::white);
    painter.drawText(cell, Qt::AlignCenter, WeekdayName(ColumnWeekday(col, sheet.FirstDayOfWeek)));
  }

  const int gridTop = headerTop + headerHeight;
  const int gridHeight = page.bottom() + 1 - gridTop;
  auto rowTop = [&](int row) { return gridTop + gridHeight * row / sheet.Weeks; };
  const QFont numberFont = PrintFont(11, true);
  // Small enough for a few items in a cell of a six-week month, large enough to read.
  const QFont entryFont = PrintFont(8.5);
  const int numberHeight = QFontMetrics(numberFont, &printer).height();
  const int numberWidth =
      QFontMetrics(numberFont, &printer).horizontalAdvance(QStringLiteral("00"));
  for (int i = 0; i < static_cast<int>(sheet.Days.size()); ++i) {
    const TSheetDay& day = sheet.Days[i];
    const int row = i / 7, col = i % 7;
    const QRect cell(columnLeft(col), rowTop(row), columnLeft(col + 1) - columnLeft(col),
                     rowTop(row + 1) - rowTop(row));
    painter.setPen(rule);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(cell);
    const QRect inner = cell.adjusted(pad, pad / 2, -pad, -pad / 2);
    painter.setFont(numberFont);
    painter.setPen(DayColor(day));
    painter.drawText(QRect(inner.left(), inner.top(), inner.width(), numberHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::number(day.DayOfMonth));
    painter.setFont(entryFont);
    PaintSeasonal(painter, day, QRect(inner.left(), inner.top(), inner.width(), numberHeight),
                  numberWidth);
    PaintEntries(painter, day, inner.adjusted(0, numberHeight, 0, 0));
  }
}

void PrintAgendaSheet(QPagedPaintDevice& printer, const std::vector<TAgendaSheetLine>& lines,
                      const std::string& title) {
  PreparePage(printer, QPageLayout::Portrait);
  QPainter painter(&printer);
  const QRect page = PageArea(printer);
  const QFont titleFont = PrintFont(14, true);
  const QFont headingFont = PrintFont(10.5, true);
  const QFont itemFont = PrintFont(10);
  const QFont footFont = PrintFont(9);
  const QFontMetrics itemMetrics(itemFont, &printer);
  const int titleHeight = QFontMetrics(titleFont, &printer).height() * 2;
  const int footHeight = QFontMetrics(footFont, &printer).height() * 2;
  const int headingHeight = QFontMetrics(headingFont, &printer).height() * 3 / 2;
  const int itemHeight = itemMetrics.height() * 5 / 4;
  const int bodyBottom = page.bottom() + 1 - footHeight;
  const int bodyTop = page.top() + titleHeight;

  // Page breaks first, so every page can say how many there are. A heading never ends a page;
  // a page that begins inside a day repeats the day's heading.
  std::vector<size_t> pageStarts{0};
  int y = bodyTop;
  for (size_t i = 0; i < lines.size(); ++i) {
    const int h = lines[i].Heading ? headingHeight : itemHeight;
    const int keep = lines[i].Heading && i + 1 < lines.size() ? h + itemHeight : h;
    if (y + keep > bodyBottom && y > bodyTop + headingHeight) {
      pageStarts.push_back(i);
      y = bodyTop + (lines[i].Heading ? 0 : headingHeight);
    }
    y += h;
  }
  pageStarts.push_back(lines.size());
  const int pages = static_cast<int>(pageStarts.size()) - 1;

  const int timeWidth = itemMetrics.horizontalAdvance(QStringLiteral("00:00")) * 3 / 2;
  const int placeWidth = page.width() / 4;
  const int alarmWidth = itemMetrics.horizontalAdvance(QStringLiteral("アラーム")) * 5 / 4;
  const int indent = itemMetrics.horizontalAdvance(QStringLiteral("　"));
  auto paintHeading = [&](const TAgendaSheetLine& line, bool continued) {
    const QRect band(page.left(), y, page.width(), headingHeight);
    painter.fillRect(band.adjusted(0, headingHeight / 8, 0, 0), QColor(232, 232, 232));
    painter.setFont(headingFont);
    painter.setPen(Qt::black);
    const QString date =
        FromCp932(line.Date) + (continued ? QStringLiteral("（続き）") : QString());
    painter.drawText(band.adjusted(indent / 2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, date);
    const int after = QFontMetrics(headingFont, &printer).horizontalAdvance(date) + indent * 2;
    painter.setPen(kHolidayRed);
    painter.drawText(band.adjusted(after, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     FromCp932(line.Names));
    y += headingHeight;
  };
  auto paintItem = [&](const TAgendaSheetLine& line) {
    painter.setFont(itemFont);
    painter.setPen(Qt::black);
    int x = page.left() + indent;
    painter.drawText(QRect(x, y, timeWidth, itemHeight), Qt::AlignRight | Qt::AlignVCenter,
                     FromCp932(line.Time));
    x += timeWidth + indent;
    const int subjectWidth = page.right() + 1 - x - placeWidth - alarmWidth;
    painter.drawText(QRect(x, y, subjectWidth, itemHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     itemMetrics.elidedText(RepeatMarked(FromCp932(line.Subject), line.Repeating),
                                            Qt::ElideRight, subjectWidth - indent));
    x += subjectWidth;
    painter.drawText(
        QRect(x, y, placeWidth, itemHeight), Qt::AlignLeft | Qt::AlignVCenter,
        itemMetrics.elidedText(FromCp932(line.Place), Qt::ElideRight, placeWidth - indent));
    if (line.Alarm)
      painter.drawText(QRect(x + placeWidth, y, alarmWidth, itemHeight),
                       Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("アラーム"));
    y += itemHeight;
  };

  const TAgendaSheetLine* day = nullptr;  // the heading of the day being listed
  for (int p = 0; p < pages; ++p) {
    if (p > 0) printer.newPage();
    painter.setFont(titleFont);
    painter.setPen(Qt::black);
    painter.drawText(QRect(page.left(), page.top(), page.width(), titleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(title));
    painter.setFont(footFont);
    painter.drawText(QRect(page.left(), bodyBottom, page.width(), footHeight), Qt::AlignCenter,
                     QStringLiteral("%1 / %2").arg(p + 1).arg(pages));
    if (lines.empty()) {
      painter.setFont(itemFont);
      painter.drawText(QRect(page.left(), bodyTop, page.width(), itemHeight),
                       Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("この期間の予定はありません。"));
    }
    y = bodyTop;
    for (size_t i = pageStarts[p]; i < pageStarts[p + 1]; ++i) {
      if (lines[i].Heading) {
        day = &lines[i];
        paintHeading(lines[i], false);
      } else {
        if (i == pageStarts[p] && day) paintHeading(*day, true);
        paintItem(lines[i]);
      }
    }
  }
}

}  // namespace moriva
