// Shows the month grid and the week list side by side as the main window lays them out, with
// the holiday lines and a few schedule items, to look at the controls on a real display.
// Usage: calendar_demo [year month day]
#include <QApplication>
#include <QHBoxLayout>
#include <QLocale>
#include <QPainter>
#include <QWidget>
#include <cstdlib>

#include "app/MonthlyCalendar.h"
#include "app/WeeklyCalendar.h"
#include "base/CommaText.h"
#include "base/Cp932.h"
#include "calendar/HolidayLines.h"

using namespace moriva;

namespace {

void SetFonts(TCalendarFonts& fonts, bool specialBold) {
  for (int i = 0; i < CalendarFontCount; ++i) {
    TCalendarFont& f = fonts.Font(TCalendarFontIndex(i));
    f.SetFamily("IPAPGothic");
    f.SetHeight(i == cfRokuyo ? 13 : 12);
  }
  fonts.SpecialDay().SetBold(specialBold);
  fonts.SpecialDay().SetUnderline(specialBold);
}

}  // namespace

int main(int argc, char** argv) {
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("Moriva");
  auto* layout = new QHBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  static TScheduleModel schedule;  // outlives the window
  auto* mc = new TMonthlyCalendar(schedule);
  auto* wc = new TWeeklyCalendar(schedule);
  mc->setFixedWidth(176);
  layout->addWidget(mc);
  layout->addWidget(wc, 1);

  SetFonts(mc->Fonts(), true);
  SetFonts(wc->Fonts(), false);
  mc->SetShowNeighbor(true);
  mc->SetNeighborJump(true);
  mc->SetAutoResize(false);
  mc->SetShowRokuyo(argc > 4);
  schedule.HolidayLines().Assign(ClassicHolidayLines());
  schedule.Lines().BeginUpdate();
  schedule.Lines().Add(Utf8ToCp932("2001,2001,7,13,,,\"打ち合わせ- 本社- 9:30:0- TRUE\""));
  schedule.Lines().Add(Utf8ToCp932("2001,2001,7,13,,,\"歯医者- 駅前- 17:0:0- FALSE\""));
  schedule.Lines().Add(Utf8ToCp932("2001,2001,7,18,,,\"納品- 倉庫- 14:0:0- FALSE\""));
  schedule.Lines().EndUpdate();
  wc->SetDefaultDrawing(false);
  // The main window's way of listing a day: subjects, alarm times, then the other names.
  wc->OnDrawDayCell = [](TWeeklyCalendar&, QPainter& canvas, const QString& dayText,
                         const std::string& mainText, QRect& rect, int32_t) {
    std::string text;
    for (const std::string& item : SplitCommaText(mainText)) {
      const size_t dash = item.find("- ");
      if (dash == std::string::npos) {
        text += item;
        continue;
      }
      text += item.substr(0, dash) + ": ";
    }
    canvas.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                    dayText + QString::fromStdU16String(Cp932ToUtf16(text)));
  };
  auto sync = [mc, wc](TCalendarView&, int32_t y, uint8_t m, uint8_t d) {
    mc->SetDate(y, m, d);
    wc->SetDate(y, m, d);
  };
  mc->OnDayChange = sync;
  wc->OnDayChange = sync;
  if (argc > 3) {
    mc->SetDate(std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]));
  } else {
    mc->SetDate(2001, 7, 13);
  }
  window.resize(574, 261);
  window.move(10, 10);
  window.show();
  mc->setFocus();
  return app.exec();
}
