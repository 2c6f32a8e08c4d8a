#pragma once
// The 表示 menu of the main window: which holidays the calendars show (現行の祝日, today's law,
// or 旧来の祝日, the program's old fifteen lines) and whether the month view shows the rokuyo
// (六曜を表示), whether the calendars name the solar terms and seasonal days (暦注を表示),
// whether the date panel shows the Japanese era year (和暦を表示), and whether the week list
// keeps its old layout, the texts in the order they were entered (週表示: 登録順 (旧来)),
// instead of each day's items by time. The holidays are the schedule model's; both calendars
// follow it. All are remembered in the settings file, section [calendar]: "holidays" =
// current | classic (missing or unknown: current), "rokuyo", "koyomi", "era" and
// "oldweeklist" = true | false (missing: false).
#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>

#include "calendar/HolidayLines.h"

class QAction;
class QLabel;
class QMenu;

namespace moriva {

class TMonthlyCalendar;
class TScheduleModel;
class TWeeklyCalendar;

class TViewMenu : public QObject {
  Q_OBJECT

 public:
  // Fills `menu`. The holiday set goes to `model`, the rokuyo switch to `calendar`, the layout
  // to `week` (whose owner draws the old layout); `settingsFile` names "hs110.ini"; `guarded`
  // runs a handler and shows what it throws.
  TViewMenu(QMenu& menu, TScheduleModel& model, TMonthlyCalendar& calendar, TWeeklyCalendar& week,
            std::function<std::filesystem::path()> settingsFile,
            std::function<void(std::function<void()>)> guarded);

  QAction* HolidaysCurrent = nullptr;   // 現行の祝日
  QAction* HolidaysClassic = nullptr;   // 旧来の祝日
  QAction* ShowRokuyo = nullptr;        // 六曜を表示
  QAction* ShowEra = nullptr;           // 和暦を表示
  QAction* ShowSeasonalDays = nullptr;  // 暦注を表示
  QAction* OldWeekList = nullptr;       // 週表示: 登録順 (旧来)
  // Runs when the era switch changes, so that the date panel is written again.
  std::function<void()> OnShowEraChanged;
  // Runs when the 暦注 switch changes (the month calendar has followed already), so that the
  // week calendar and the date panel follow.
  std::function<void(bool)> OnShowSeasonalDaysChanged;

  // Reads both settings and applies them to the calendar and the menu.
  void LoadSettings();
  // Applies a rule set; `remember` also writes it to the settings file.
  void SetHolidaySet(THolidaySet set, bool remember);
  void SetShowRokuyo(bool on, bool remember);
  void SetShowEra(bool on, bool remember);
  void SetOldWeekList(bool on, bool remember);
  void SetShowSeasonalDays(bool on, bool remember);
  bool ShowsEra() const;

 private:
  TScheduleModel& model_;
  TMonthlyCalendar& calendar_;
  TWeeklyCalendar& week_;
  std::function<std::filesystem::path()> settingsFile_;
};

// The date panel's caption: "yyyy/mm", with the era year(s) of the month on a second line when
// `era` is on and the month lies in an era.
QString DatePanelText(int32_t year, uint8_t month, bool era);
// Writes that caption into the panel, in a smaller font when it takes two lines.
void ShowDatePanel(QLabel& panel, int32_t year, uint8_t month, bool era);
// The date panel's tooltip: "m/d", the day's rokuyo when `rokuyo` is on and its solar term or
// seasonal days when `seasonal` is on; empty (no tooltip) when the day has none of them. The
// month cells may be too narrow for both; this names them in full.
QString DatePanelToolTip(int32_t year, uint8_t month, uint8_t day, bool rokuyo, bool seasonal);

}  // namespace moriva
