#include "app/ViewMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>

#include "app/MonthlyCalendar.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "base/IniFile.h"
#include "calendar/JapaneseEra.h"
#include "calendar/OldCalendar.h"
#include "calendar/SeasonalDays.h"

namespace moriva {
namespace {

constexpr std::string_view kSection = "calendar";

}  // namespace

TViewMenu::TViewMenu(QMenu& menu, TScheduleModel& model, TMonthlyCalendar& calendar,
                     TWeeklyCalendar& week, std::function<std::filesystem::path()> settingsFile,
                     std::function<void(std::function<void()>)> guarded)
    : QObject(&menu),
      model_(model),
      calendar_(calendar),
      week_(week),
      settingsFile_(std::move(settingsFile)) {
  auto* group = new QActionGroup(this);
  auto addSet = [&](const char* caption, THolidaySet set) {
    QAction* a = menu.addAction(QString::fromUtf8(caption));
    a->setCheckable(true);
    group->addAction(a);
    connect(a, &QAction::triggered, this,
            [this, set, guarded] { guarded([this, set] { SetHolidaySet(set, true); }); });
    return a;
  };
  HolidaysCurrent = addSet("現行の祝日", THolidaySet::Current);
  HolidaysClassic = addSet("旧来の祝日", THolidaySet::Classic);
  HolidaysCurrent->setChecked(true);
  menu.addSeparator();
  ShowRokuyo = menu.addAction(QStringLiteral("六曜を表示"));
  ShowRokuyo->setCheckable(true);
  connect(ShowRokuyo, &QAction::triggered, this,
          [this, guarded](bool on) { guarded([this, on] { SetShowRokuyo(on, true); }); });
  ShowSeasonalDays = menu.addAction(QStringLiteral("暦注を表示"));
  ShowSeasonalDays->setCheckable(true);
  connect(ShowSeasonalDays, &QAction::triggered, this,
          [this, guarded](bool on) { guarded([this, on] { SetShowSeasonalDays(on, true); }); });
  ShowEra = menu.addAction(QStringLiteral("和暦を表示"));
  ShowEra->setCheckable(true);
  connect(ShowEra, &QAction::triggered, this,
          [this, guarded](bool on) { guarded([this, on] { SetShowEra(on, true); }); });
  menu.addSeparator();
  OldWeekList = menu.addAction(QStringLiteral("週表示: 登録順 (旧来)"));
  OldWeekList->setCheckable(true);
  connect(OldWeekList, &QAction::triggered, this,
          [this, guarded](bool on) { guarded([this, on] { SetOldWeekList(on, true); }); });
}

void TViewMenu::LoadSettings() {
  const std::filesystem::path file = settingsFile_();
  SetHolidaySet(HolidaySetFromName(ReadProfileString(kSection, "holidays", "", file))
                    .value_or(THolidaySet::Current),
                false);
  SetShowRokuyo(ReadProfileString(kSection, "rokuyo", "", file) == "true", false);
  SetShowEra(ReadProfileString(kSection, "era", "", file) == "true", false);
  SetOldWeekList(ReadProfileString(kSection, "oldweeklist", "", file) == "true", false);
  SetShowSeasonalDays(ReadProfileString(kSection, "koyomi", "", file) == "true", false);
}

void TViewMenu::SetHolidaySet(THolidaySet set, bool remember) {
  (set == THolidaySet::Classic ? HolidaysClassic : HolidaysCurrent)->setChecked(true);
  model_.SetHolidays(HolidayLines(set), HolidaySwitches(set));
  if (remember) WriteProfileString(kSection, "holidays", HolidaySetName(set), settingsFile_());
}

void TViewMenu::SetShowRokuyo(bool on, bool remember) {
  ShowRokuyo->setChecked(on);
  calendar_.SetShowRokuyo(on);
  if (remember) WriteProfileString(kSection, "rokuyo", on ? "true" : "false", settingsFile_());
}

void TViewMenu::SetShowSeasonalDays(bool on, bool remember) {
  ShowSeasonalDays->setChecked(on);
  calendar_.SetShowSeasonalDays(on);
  if (OnShowSeasonalDaysChanged) OnShowSeasonalDaysChanged(on);
  if (remember) WriteProfileString(kSection, "koyomi", on ? "true" : "false", settingsFile_());
}

void TViewMenu::SetShowEra(bool on, bool remember) {
  ShowEra->setChecked(on);
  if (OnShowEraChanged) OnShowEraChanged();
  if (remember) WriteProfileString(kSection, "era", on ? "true" : "false", settingsFile_());
}

void TViewMenu::SetOldWeekList(bool on, bool remember) {
  OldWeekList->setChecked(on);
  week_.SetLayout(on ? TWeekListLayout::AsEntered : TWeekListLayout::ByTime);
  if (remember) WriteProfileString(kSection, "oldweeklist", on ? "true" : "false", settingsFile_());
}

bool TViewMenu::ShowsEra() const {
  return ShowEra->isChecked();
}

QString DatePanelText(int32_t year, uint8_t month, bool era) {
  const QString western =
      QStringLiteral("%1/%2").arg(year, 4, 10, QChar(u'0')).arg(month, 2, 10, QChar(u'0'));
  const std::string years = era ? EraYearsOfMonth(year, month) : std::string();
  if (years.empty()) return western;
  return western + u'\n' + QString::fromStdU16String(Cp932ToUtf16(years));
}

void ShowDatePanel(QLabel& panel, int32_t year, uint8_t month, bool era) {
  const QString caption = DatePanelText(year, month, era);
  QFont font = panel.font();
  font.setPixelSize(caption.contains(u'\n') ? 14 : 19);
  panel.setFont(font);
  panel.setText(caption);
}

QString DatePanelToolTip(int32_t year, uint8_t month, uint8_t day, bool rokuyo, bool seasonal) {
  const JuliusDay z = DateToJulius(year, month, day);
  std::string names = rokuyo && RokuyoOf(z) ? RokuyoNames[RokuyoOf(z)] : "";
  if (seasonal) {
    const std::string more = SeasonalDayText(z, Utf8ToCp932("・"));
    names += (names.empty() || more.empty() ? "" : " ") + more;
  }
  if (names.empty()) return {};
  return QStringLiteral("%1/%2 ").arg(month).arg(day) +
         QString::fromStdU16String(Cp932ToUtf16(names));
}

}  // namespace moriva
