#include "app/EditMenu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "schedule/ScheduleDocument.h"

namespace moriva {
namespace {

QString Caption(const char* verb, const std::string& label) {
  QString text = QString::fromUtf8(verb);
  if (!label.empty()) text += QStringLiteral(" (%1)").arg(QString::fromStdString(label));
  return text;
}

}  // namespace

TEditMenu::TEditMenu(QMenu& menu, QWidget& window, TScheduleDocument& document,
                     std::function<void(std::function<void()>)> guarded)
    : QObject(&menu), document_(document) {
  auto make = [&](const char* caption, QKeySequence key, std::function<void()> handler) {
    auto* a = new QAction(QString::fromUtf8(caption), this);
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    connect(a, &QAction::triggered, this, [guarded, handler] { guarded(handler); });
    menu.addAction(a);
    window.addAction(a);
    return a;
  };
  Undo = make("元に戻す", QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { document_.Undo(); });
  Redo = make("やり直し", QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { document_.Redo(); });
  watch_ = document_.Model().WatchCommits([this] { Refresh(); });
  Refresh();
}

void TEditMenu::Refresh() {
  const TUndoHistory& history = document_.History();
  Undo->setText(Caption("元に戻す", history.UndoLabel()));
  Redo->setText(Caption("やり直し", history.RedoLabel()));
  Undo->setEnabled(!blocked_ && history.CanUndo());
  Redo->setEnabled(!blocked_ && history.CanRedo());
}

void TEditMenu::SetBlocked(bool blocked) {
  blocked_ = blocked;
  Refresh();
}

}  // namespace moriva
