#pragma once
// 検索 (Ctrl+F): a small window beside the main window with a search field and the hits listed
// with date, time, subject and place, newest first or by date. Enter or a double click on a hit
// moves both calendars to its day; F3 and Shift+F3 step through the hits from either window.
// The matching itself is the core's (schedule/ScheduleSearch); this window only shows it.
#include <QWidget>
#include <functional>
#include <vector>

#include "calendar/Julius.h"
#include "schedule/Agenda.h"
#include "schedule/ScheduleModel.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QTreeView;

namespace moriva {

class TSearchHitModel;

class TSearchPanel : public QWidget {
  Q_OBJECT

 public:
  // `schedule` must outlive the panel; each committed change of it searches again. `owner` is
  // the main window: the panel stays in front of it, and the actions work in both windows.
  TSearchPanel(const TScheduleModel& schedule, QWidget* owner);

  QAction* Find = nullptr;          // 検索 (Ctrl+F)
  QAction* FindNext = nullptr;      // 次を検索 (F3)
  QAction* FindPrevious = nullptr;  // 前を検索 (Shift+F3)
  QLineEdit* SearchEdit = nullptr;
  QComboBox* OrderBox = nullptr;  // 新しい順 / 日付順
  QTreeView* HitList = nullptr;
  QLabel* CountLabel = nullptr;

  // Runs when the user chose a hit: move the calendars to this day.
  std::function<void(JuliusDay)> OnJump;

  // Puts the three actions into `menu` and makes their keys work in `window` too.
  void AddActionsTo(QMenu& menu, QWidget& window);

  // Shows the panel in front, the field focused with its text selected.
  void ShowSearch();
  // Searches now for the field's text.
  void RunSearch();
  // The next (+1) or previous (-1) hit, round from the end to the start, chosen as by Enter.
  void Step(int direction);
  // The schedule changed: the hits are looked up again.
  void ListChanged();

  const std::vector<TAgendaItem>& Hits() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void JumpToRow(int row);
  void Place();

  const TScheduleModel& schedule_;
  TScheduleWatch watch_;
  TSearchHitModel* model_ = nullptr;
  QTimer* typingTimer_ = nullptr;
  bool placed_ = false;
};

}  // namespace moriva
