#pragma once
// The schedule editor window: the items of one day in a tree on the left, the shown item's
// fields on the right. It works directly on the schedule's lines — every 書込 and 削除 changes
// them at once — so its owner keeps them as they were and decides at the end:
//
//   schedule.BeginEdit();
//   TScheduleEditorWindow form(schedule, year, month, day, dialogs, this);
//   if (form.RunEditor() == QDialog::Accepted) { schedule.EndEdit(); document.ListEdited(); }
//   else schedule.CancelEdit();   // 中止, Esc, close box
//
// The steps themselves (what is shown, written, deleted and selected) are TScheduleEditor's; the
// window copies its controls into it before each step and shows its state afterwards.
#include <QDialog>
#include <QIcon>
#include <cstdint>

#include "base/Dialogs.h"
#include "base/LineList.h"
#include "schedule/ScheduleEditor.h"

class QAction;
class QCheckBox;
class QFrame;
class QPushButton;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace moriva {

class TEnterAdvanceComboBox;
class TEnterAdvanceEdit;
class TRepeatSection;
class TScheduleModel;

class TScheduleEditorWindow : public QDialog {
  Q_OBJECT

 public:
  // The result of the 中止 button. OK gives QDialog::Accepted; Esc and the close box give
  // QDialog::Rejected.
  static constexpr int kAbort = 3;
  // Data roles of a tree node: the item's index in the list, and the image it shows normally
  // and while selected (TItemImage).
  static constexpr int kIndexRole = Qt::UserRole;
  static constexpr int kImageRole = Qt::UserRole + 1;
  static constexpr int kSelectedImageRole = Qt::UserRole + 2;

  // Edits the items of year/month/day in `list`. `list` and `dialogs` must outlive the window.
  TScheduleEditorWindow(TLineList& list, int32_t year, int month, int day, TDialogs& dialogs,
                        QWidget* parent = nullptr);
  // Edits the day in the model's lines, its series included (TScheduleEditor::UseModel).
  TScheduleEditorWindow(TScheduleModel& model, int32_t year, int month, int day, TDialogs& dialogs,
                        QWidget* parent = nullptr);

  // Runs the window modally; after OK, writes the fields once more, so that what was typed
  // last is kept without pressing 書込. Returns the modal result.
  int RunEditor();

  // The actions' handlers.
  void AddItemExecute();
  void DeleteItemExecute();
  void WriteItemExecute();
  void WidthUpExecute();
  void WidthDownExecute();
  void ClearFields();
  void ShowSelected();

  const TScheduleEditor& Editor() const { return editor_; }

  QToolBar* ToolBar = nullptr;
  QTreeWidget* ItemTree = nullptr;
  QFrame* RightPanel = nullptr;
  TEnterAdvanceComboBox* cbH = nullptr;
  TEnterAdvanceComboBox* cbN = nullptr;
  TEnterAdvanceEdit* EditSubject = nullptr;
  TEnterAdvanceEdit* EditPlace = nullptr;
  QCheckBox* ckAlarm = nullptr;
  QCheckBox* ckAllDay = nullptr;     // 終日: the item has no time
  TRepeatSection* Repeat = nullptr;  // 繰り返し
  QPushButton* WriteBtn = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* AbortBtn = nullptr;

  QAction* AddItem = nullptr;
  QAction* DeleteItem = nullptr;
  QAction* WriteItem = nullptr;
  QAction* Copy = nullptr;
  QAction* Cut = nullptr;
  QAction* Paste = nullptr;
  QAction* WidthUp = nullptr;
  QAction* WidthDown = nullptr;

  // The editor's image list: item, selected item, item with alarm (TItemImage order).
  static QPixmap NodeImage(TItemImage image);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 public slots:
  // OK: refused while the fields hold a text that could not be written, so it is not lost.
  void accept() override;
  void setVisible(bool visible) override;

 private:
  void CreateActions();
  void CreateControls();
  void FormShow();
  void ItemTreeChange();
  void PullFields();
  void PushFields();
  void ShowTree();
  void SetNode(QTreeWidgetItem* item, const TItemNode& node);

  TScheduleEditor editor_;
  QIcon itemIcon_;
  QIcon alarmIcon_;
  unsigned shownGeneration_ = 0;
  bool showing_ = false;  // the window is setting its controls; their signals are not the user's
};

}  // namespace moriva
