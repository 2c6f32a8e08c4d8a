#include "app/CalendarView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace moriva {

TCalendarView::TCalendarView(const TScheduleModel& model, QWidget* parent)
    : QFrame(parent),
      julius_day_(TodayJulius()),
      model_(model),
      color_(palette().color(QPalette::Base)) {
  // The sunken client edge of the control; the image fills what lies inside it.
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setFocusPolicy(Qt::StrongFocus);
  // Paint copies the image over the whole client area, so nothing needs erasing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  fonts_.OnChange = [this] { Redraw(); };
  watch_ = model_.WatchRules([this] { Redraw(); });
}

TCalendarView::~TCalendarView() {
  // A change while members are torn down must not call back.
  fonts_.OnChange = nullptr;
}

TCalendarView::TYmd TCalendarView::DateOf(JuliusDay z) {
  TYmd r;
  JuliusToDate(z, r.y, r.m, r.d);
  return r;
}

void TCalendarView::SetJuliusDay(JuliusDay day) {
  if (day == julius_day_) return;
  julius_day_ = day;
  Redraw();
  const TYmd date = DateOf(julius_day_);
  DayChange(date.y, date.m, date.d);
}

int32_t TCalendarView::Year() const {
  return DateOf(julius_day_).y;
}

uint8_t TCalendarView::Month() const {
  return DateOf(julius_day_).m;
}

uint8_t TCalendarView::Day() const {
  return DateOf(julius_day_).d;
}

void TCalendarView::SetValidDate(int32_t y, uint8_t m, uint8_t d) {
  if (IsValidDate(y, m, d)) SetJuliusDay(DateToJulius(y, m, d));
}

void TCalendarView::SetYear(int32_t year) {
  SetValidDate(year, Month(), Day());
}

void TCalendarView::SetMonth(uint8_t month) {
  SetValidDate(Year(), month, Day());
}

void TCalendarView::SetDay(uint8_t day) {
  SetValidDate(Year(), Month(), day);
}

void TCalendarView::SetDate(int32_t y, uint8_t m, uint8_t d) {
  SetJuliusDay(DateToJulius(y, m, d));
}

void TCalendarView::GoToday() {
  SetJuliusDay(TodayJulius());
}

void TCalendarView::StepMonth(int delta) {
  const TYmd date = DateOf(julius_day_);
  const int months = date.y * 12 + (date.m - 1) + delta;  // counted from January of year 0
  const int32_t y = months >= 0 ? months / 12 : (months - 11) / 12;
  const uint8_t m = static_cast<uint8_t>(months - y * 12 + 1);
  SetJuliusDay(DateToJulius(y, m, std::min(date.d, DaysInMonth(y, m))));
}

void TCalendarView::SetFonts(const TCalendarFonts& fonts) {
  fonts_.Assign(fonts);  // notifies, which redraws
}

void TCalendarView::SetColor(QColor color) {
  if (color == color_) return;
  color_ = color;
  Redraw();
}

void TCalendarView::DayChange(int32_t y, uint8_t m, uint8_t d) {
  if (OnDayChange) OnDayChange(*this, y, m, d);
}

TDayState TCalendarView::GetDayState(int32_t y, uint8_t m, uint8_t d) const {
  return model_.Rules().DayState(y, m, d);
}

const TCalendarFont& TCalendarView::GetDayFont(int32_t y, uint8_t m, uint8_t d) const {
  const TDayState s = GetDayState(y, m, d);
  return s.Has(dsSpecialDay) ? fonts_.Font(cfSpecialDay) : DayKindFont(s);
}

const TCalendarFont& TCalendarView::DayKindFont(TDayState s) const {
  TCalendarFontIndex index = cfWeekday;
  if (s.Has(dsSaturday)) {
    index = cfSaturday;
  } else if (s.Has(dsSunday)) {
    index = cfSunday;
  }
  if (s.Has(dsHoliday) || s.Has(dsFurikae)) index = cfHoliday;
  return fonts_.Font(index);
}

std::string TCalendarView::GetDayText(int32_t y, uint8_t m, uint8_t d) const {
  return model_.Rules().DayText(y, m, d);
}

bool TCalendarView::ImageReady() {
  const QSize size = contentsRect().size();
  if (size.isEmpty()) {
    image_ = QImage();
    return false;
  }
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  return true;
}

void TCalendarView::DrawImage() {
  if (!ImageReady()) return;
  image_.fill(color_);
}

QString TCalendarView::ShortDayName(int weekday) const {
  // The program speaks Japanese whatever the process locale: an English name would also
  // overflow the narrow header cells.
  static const char16_t* const kNames[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};
  return QString::fromUtf16(kNames[((weekday % 7) + 7) % 7]);
}

void TCalendarView::Redraw() {
  DrawImage();
  update();
}

void TCalendarView::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);  // the sunken edge
  if (image_.size() != contentsRect().size()) DrawImage();
  QPainter painter(this);
  painter.drawImage(contentsRect().topLeft(), image_);
}

void TCalendarView::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  DrawImage();
}

void TCalendarView::mouseDoubleClickEvent(QMouseEvent* event) {
  QFrame::mouseDoubleClickEvent(event);  // a press, which selects the day under the mouse
  if (OnDblClick) OnDblClick(*this);
}

void TCalendarView::wheelEvent(QWheelEvent* event) {
  if (!OnWheel) return QFrame::wheelEvent(event);
  // 120 eighths of a degree make one notch of a common wheel.
  wheel_delta_ -= event->angleDelta().y();
  const int steps = wheel_delta_ / 120;
  wheel_delta_ -= steps * 120;
  event->accept();
  if (steps != 0) OnWheel(*this, steps);
}

void TCalendarView::KeyDown(QKeyEvent* event) {
  if (OnKeyDown) OnKeyDown(*this, event);
}

}  // namespace moriva
