#pragma once
// The undo half of the 編集 menu: 元に戻す (Ctrl+Z) and やり直し (Ctrl+Y), each naming the
// change it would take back or do again ("元に戻す (CSV読込)"). The history itself is the
// document's (schedule/UndoHistory); this keeps the two actions in step with it.
#include <QObject>
#include <functional>

#include "schedule/ScheduleModel.h"

class QAction;
class QMenu;
class QWidget;

namespace moriva {

class TScheduleDocument;

class TEditMenu : public QObject {
  Q_OBJECT

 public:
  // Fills `menu`; the keys work in `window`. `guarded` runs a handler and shows what it throws.
  TEditMenu(QMenu& menu, QWidget& window, TScheduleDocument& document,
            std::function<void(std::function<void()>)> guarded);

  QAction* Undo = nullptr;  // 元に戻す
  QAction* Redo = nullptr;  // やり直し

  // Captions and enabled states from the history; runs after every committed change.
  void Refresh();
  // While a transfer runs, the list must not change under it.
  void SetBlocked(bool blocked);

 private:
  TScheduleDocument& document_;
  TScheduleWatch watch_;
  bool blocked_ = false;
};

}  // namespace moriva
