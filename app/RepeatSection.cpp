#include "app/RepeatSection.h"

#include <QCheckBox>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <algorithm>
#include <string>
#include <vector>

#include "app/EnterAdvanceControls.h"
#include "base/Cp932.h"
#include "calendar/DateInput.h"

namespace moriva {
namespace {

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

constexpr std::array<std::string_view, 5> kUnitTexts = {"", "日ごと", "週ごと", "か月ごと",
                                                        "年ごと"};

QString DayText(JuliusDay z) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  return QStringLiteral("%1/%2/%3").arg(y).arg(m).arg(d);
}

}  // namespace

TRepeatSection::TRepeatSection(QWidget* panel, int top) : QObject(panel) {
  auto label = [&](std::string_view text, int left, int y, int width) {
    auto* l = new QLabel(Text(text), panel);
    l->setGeometry(left, y + 3, width, 16);
    return l;
  };
  Kind = new TEnterAdvanceComboBox(panel);
  for (std::string_view t : kRepeatKindTexts) Kind->addItem(Text(t));
  Kind->setGeometry(88, top, 70, 22);
  Interval = new TEnterAdvanceEdit(panel);
  Interval->setValidator(new QIntValidator(1, kMaxSeriesInterval, Interval));
  Interval->setGeometry(164, top, 36, 22);
  unit_ = label("", 204, top, 80);

  for (int i = 0; i < 7; ++i) {
    Weekdays[i] = new QCheckBox(Text(kWeekdayTexts[i]), panel);
    Weekdays[i]->setGeometry(8 + i * 40, top + 28, 40, 20);
  }
  MonthlyBy = new TEnterAdvanceComboBox(panel);
  MonthlyBy->setGeometry(88, top + 28, 130, 22);

  End = new TEnterAdvanceComboBox(panel);
  for (std::string_view t : kRepeatEndTexts) End->addItem(Text(t));
  End->setGeometry(88, top + 56, 60, 22);
  Until = new TEnterAdvanceEdit(panel);
  Until->setGeometry(154, top + 56, 100, 22);
  Count = new TEnterAdvanceEdit(panel);
  Count->setValidator(new QIntValidator(1, static_cast<int>(kMaxSeriesCount), Count));
  Count->setGeometry(154, top + 56, 50, 22);
  countUnit_ = label("回", 208, top + 56, 20);

  SkipHolidays = new QCheckBox(Text("祝日を除く"), panel);
  SkipHolidays->setGeometry(88, top + 84, 120, 20);

  connect(Kind, &QComboBox::currentIndexChanged, this, &TRepeatSection::Arrange);
  connect(End, &QComboBox::currentIndexChanged, this, &TRepeatSection::Arrange);
  Show(TRepeatFields{}, 0);
}

void TRepeatSection::Arrange() {
  const auto kind = static_cast<TRepeatKind>(std::max(0, Kind->currentIndex()));
  const bool repeats = kind != TRepeatKind::None;
  Interval->setEnabled(repeats);
  unit_->setText(Text(kUnitTexts[static_cast<size_t>(kind)]));
  for (QCheckBox* box : Weekdays) box->setVisible(kind == TRepeatKind::Weekly);
  MonthlyBy->setVisible(kind == TRepeatKind::Monthly);
  End->setEnabled(repeats);
  const auto end = static_cast<TRepeatEnd>(std::max(0, End->currentIndex()));
  Until->setVisible(repeats && end == TRepeatEnd::Date);
  const bool byCount = repeats && end == TRepeatEnd::Count;
  Count->setVisible(byCount);
  countUnit_->setVisible(byCount);
  SkipHolidays->setEnabled(repeats);
}

TRepeatFields TRepeatSection::Read() const {
  // Controls the kind or end does not use keep what was shown, so that showing and reading
  // back gives the same fields (the editor sees nothing typed).
  TRepeatFields f = shown_;
  f.Kind = static_cast<TRepeatKind>(std::max(0, Kind->currentIndex()));
  f.End = static_cast<TRepeatEnd>(std::max(0, End->currentIndex()));
  if (f.Kind == TRepeatKind::None) return f;
  f.Interval = Interval->text().toInt();
  if (f.Kind == TRepeatKind::Weekly) {
    f.Weekdays = 0;
    for (int i = 0; i < 7; ++i)
      if (Weekdays[i]->isChecked()) f.Weekdays |= WeekdayBit(static_cast<uint8_t>(i + 1));
  }
  if (f.Kind == TRepeatKind::Monthly)
    f.MonthlyBy = static_cast<TMonthlyBy>(std::max(0, MonthlyBy->currentIndex()));
  if (f.End == TRepeatEnd::Date) {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(day_, y, m, d);
    const std::optional<JuliusDay> until =
        ParseDateInput(Utf16ToCp932(Until->text().toStdU16String()), y);
    f.Until = until ? *until : kFirstSeriesDay - 1;  // refused as an end before the start
  }
  if (f.End == TRepeatEnd::Count) f.Count = Count->text().toInt();
  f.SkipHolidays = SkipHolidays->isChecked();
  return f;
}

void TRepeatSection::Show(const TRepeatFields& f, JuliusDay day) {
  day_ = day;
  shown_ = f;
  Kind->setCurrentIndex(static_cast<int>(f.Kind));
  Interval->setText(QString::number(f.Interval));
  const uint8_t weekdays =
      f.Weekdays ? f.Weekdays : (day ? WeekdayBit(JuliusDayOfWeek(day)) : uint8_t{0});
  for (int i = 0; i < 7; ++i)
    Weekdays[i]->setChecked(weekdays & WeekdayBit(static_cast<uint8_t>(i + 1)));
  MonthlyBy->clear();
  if (day)
    for (const std::string& t : MonthlyByTexts(day)) MonthlyBy->addItem(Text(t));
  MonthlyBy->setCurrentIndex(static_cast<int>(f.MonthlyBy));
  End->setCurrentIndex(static_cast<int>(f.End));
  Until->setText(f.Until ? DayText(f.Until) : (day ? DayText(day) : QString()));
  Count->setText(QString::number(f.Count));
  SkipHolidays->setChecked(f.SkipHolidays);
  Arrange();
}

void TRepeatSection::LeadOutTo(QWidget* exit) {
  exit_ = exit;
  for (QWidget* w : Controls()) {
    w->setFocusPolicy(Qt::ClickFocus);
    w->installEventFilter(this);
  }
}

bool TRepeatSection::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key != Qt::Key_Return && key != Qt::Key_Enter) return QObject::eventFilter(watched, event);
  // Enter walks through the section's controls in use, then on to `exit_`.
  const std::vector<QWidget*> controls = Controls();
  auto at = std::find(controls.begin(), controls.end(), watched);
  if (at == controls.end()) return QObject::eventFilter(watched, event);
  for (++at; at != controls.end(); ++at) {
    if ((*at)->isVisible() && (*at)->isEnabled()) {
      (*at)->setFocus(Qt::TabFocusReason);
      return true;
    }
  }
  if (exit_) exit_->setFocus(Qt::TabFocusReason);
  return true;
}

std::vector<QWidget*> TRepeatSection::Controls() const {
  std::vector<QWidget*> controls = {Kind, Interval};
  controls.insert(controls.end(), Weekdays.begin(), Weekdays.end());
  controls.insert(controls.end(), {MonthlyBy, End, Until, Count, SkipHolidays});
  return controls;
}

}  // namespace moriva
