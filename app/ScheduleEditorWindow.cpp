#include "app/ScheduleEditorWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <optional>
#include <string>

#include "app/EnterAdvanceControls.h"
#include "app/FormFont.h"
#include "app/RepeatMark.h"
#include "app/RepeatSection.h"
#include "base/Cp932.h"
#include "schedule/ScheduleModel.h"

namespace moriva {
namespace {

constexpr int kWidthStep = 40;
const QColor kPanelColor(255, 255, 185);
const QColor kCaptionColor(0, 128, 128);  // teal
const QColor kCaptionTextColor(255, 255, 208);

QString FromCp932(const std::string& text) {
  return QString::fromStdU16String(Cp932ToUtf16(text));
}

std::string ToCp932(const QString& text) {
  return Utf16ToCp932(text.toStdU16String());
}

// The pictures are drawn here rather than shipped, so that they belong to the program.
enum class TPicture { Sheet, SelectedSheet, Bell, AddSheet, Cross, Pencil, Copy, Scissors, Paste };

void DrawSheet(QPainter& p, QRectF r, const QColor& fill) {
  p.setPen(QPen(QColor(90, 90, 90), 1));
  p.setBrush(fill);
  p.drawRect(r);
  p.setPen(QPen(QColor(70, 110, 200), 1));
  for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 3)
    p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

QPixmap Picture(TPicture what) {
  QPixmap pix(16, 16);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(0.5, 0.5);
  switch (what) {
    case TPicture::Sheet:
      DrawSheet(p, QRectF(2, 1, 10, 13), Qt::white);
      break;
    case TPicture::SelectedSheet:
      DrawSheet(p, QRectF(2, 1, 10, 13), QColor(255, 236, 140));
      p.setPen(QPen(QColor(200, 40, 40), 2));
      p.drawLine(QPointF(8, 13), QPointF(14, 7));
      break;
    case TPicture::Bell: {
      QPainterPath bell;
      bell.moveTo(2, 12);
      bell.cubicTo(4, 11, 4, 3, 7.5, 2.5);
      bell.cubicTo(11, 3, 11, 11, 13, 12);
      bell.closeSubpath();
      p.setPen(QPen(QColor(150, 100, 0), 1));
      p.setBrush(QColor(250, 200, 30));
      p.drawPath(bell);
      p.drawEllipse(QPointF(7.5, 13.5), 1.5, 1.5);
      break;
    }
    case TPicture::AddSheet:
      DrawSheet(p, QRectF(1, 1, 10, 13), Qt::white);
      p.setPen(QPen(QColor(0, 150, 0), 2.5));
      p.drawLine(QPointF(11, 7), QPointF(11, 14));
      p.drawLine(QPointF(7.5, 10.5), QPointF(14.5, 10.5));
      break;
    case TPicture::Cross:
      p.setPen(QPen(QColor(210, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(3, 3), QPointF(12, 12));
      p.drawLine(QPointF(12, 3), QPointF(3, 12));
      break;
    case TPicture::Pencil:
      p.setPen(QPen(QColor(120, 80, 0), 1));
      p.setBrush(QColor(250, 190, 60));
      p.drawPolygon(QPolygonF({{2, 14}, {3, 10}, {11, 2}, {14, 5}, {6, 13}}));
      break;
    case TPicture::Copy:
      DrawSheet(p, QRectF(1, 1, 8, 10), Qt::white);
      DrawSheet(p, QRectF(6, 4, 8, 10), Qt::white);
      break;
    case TPicture::Scissors:
      p.setPen(QPen(QColor(60, 60, 60), 1.5));
      p.drawLine(QPointF(4, 1), QPointF(10, 10));
      p.drawLine(QPointF(11, 1), QPointF(5, 10));
      p.setPen(QPen(QColor(200, 30, 30), 1.5));
      p.drawEllipse(QPointF(4, 12), 2.5, 2.5);
      p.drawEllipse(QPointF(11, 12), 2.5, 2.5);
      break;
    case TPicture::Paste:
      p.setPen(QPen(QColor(110, 70, 20), 1));
      p.setBrush(QColor(190, 140, 70));
      p.drawRect(QRectF(1, 2, 10, 12));
      p.setBrush(QColor(150, 150, 150));
      p.drawRect(QRectF(3.5, 0.5, 5, 3));
      DrawSheet(p, QRectF(6, 6, 8, 9), Qt::white);
      break;
  }
  return pix;
}

// A caption label of the right panel: teal, light text, centred.
QLabel* CaptionLabel(const QString& text, QWidget* parent, int top) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(8, top + 1, 73, 20);
  label->setAlignment(Qt::AlignCenter);
  label->setAutoFillBackground(true);
  QPalette pal = label->palette();
  pal.setColor(QPalette::Window, kCaptionColor);
  pal.setColor(QPalette::WindowText, kCaptionTextColor);
  label->setPalette(pal);
  return label;
}

TEnterAdvanceComboBox* Choice(QWidget* parent, int left, int top, auto entries,
                              const QString& unit) {
  auto* box = new TEnterAdvanceComboBox(parent);
  for (std::string_view e : entries) box->addItem(QString::fromLatin1(e.data(), e.size()));
  box->setGeometry(left, top, 52, 22);
  box->setMaxVisibleItems(static_cast<int>(entries.size()));
  auto* label = new QLabel(unit, parent);
  label->setGeometry(left + 55, top + 3, 16, 16);
  return box;
}

bool IsEnterKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

QPixmap TScheduleEditorWindow::NodeImage(TItemImage image) {
  switch (image) {
    case yiItem:
      return Picture(TPicture::Sheet);
    case yiItemSelected:
      return Picture(TPicture::SelectedSheet);
    case yiAlarm:
      break;
  }
  return Picture(TPicture::Bell);
}

TScheduleEditorWindow::TScheduleEditorWindow(TLineList& list, int32_t year, int month, int day,
                                             TDialogs& dialogs, QWidget* parent)
    : QDialog(parent), editor_(list, year, month, day, dialogs) {
  setWindowTitle(QStringLiteral("予定"));
  setFont(FormFont(12));
  itemIcon_.addPixmap(NodeImage(yiItem), QIcon::Normal);
  itemIcon_.addPixmap(NodeImage(yiItemSelected), QIcon::Selected);
  alarmIcon_.addPixmap(NodeImage(yiAlarm), QIcon::Normal);
  alarmIcon_.addPixmap(NodeImage(yiAlarm), QIcon::Selected);
  CreateActions();
  CreateControls();
  resize(512, 368);
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

TScheduleEditorWindow::TScheduleEditorWindow(TScheduleModel& model, int32_t year, int month,
                                             int day, TDialogs& dialogs, QWidget* parent)
    : TScheduleEditorWindow(model.Lines(), year, month, day, dialogs, parent) {
  editor_.UseModel(model);
}

void TScheduleEditorWindow::CreateActions() {
  auto make = [this](const char* caption, std::optional<TPicture> picture, QList<QKeySequence> keys,
                     void (TScheduleEditorWindow::*handler)()) {
    auto* action = new QAction(QString::fromUtf8(caption), this);
    if (picture) action->setIcon(Picture(*picture));
    action->setShortcuts(keys);
    // The toolbar shows the caption alone; its tip names the keys.
    QStringList named;
    for (const QKeySequence& key : keys) named << key.toString(QKeySequence::NativeText);
    action->setIconText(action->text().section(u'(', 0, 0));
    if (!named.isEmpty())
      action->setToolTip(QStringLiteral("%1 (%2)").arg(action->iconText(), named.join(u'/')));
    // An action without a handler does nothing, so it is shown disabled; its shortcut is then
    // not taken by the window and Ctrl+C, Ctrl+X and Ctrl+V reach the focused edit box.
    if (handler)
      connect(action, &QAction::triggered, this, handler);
    else
      action->setEnabled(false);
    addAction(action);
    return action;
  };
  // Ctrl+A selects the text of the field it is pressed in, as everywhere else; 追加 has Ctrl+N
  // (a new item) and Alt+N, the access key its caption shows in the menu.
  AddItem = make("追加(&N)", TPicture::AddSheet,
                 {QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::ALT | Qt::Key_N)},
                 &TScheduleEditorWindow::AddItemExecute);
  DeleteItem = make("削除", TPicture::Cross, {QKeySequence(Qt::CTRL | Qt::Key_D)},
                    &TScheduleEditorWindow::DeleteItemExecute);
  WriteItem = make("書込", TPicture::Pencil, {QKeySequence(Qt::CTRL | Qt::Key_S)},
                   &TScheduleEditorWindow::WriteItemExecute);
  Copy = make("コピー", TPicture::Copy, {QKeySequence(Qt::CTRL | Qt::Key_C)}, nullptr);
  Cut = make("切り取り", TPicture::Scissors, {QKeySequence(Qt::CTRL | Qt::Key_X)}, nullptr);
  Paste = make("ペースト", TPicture::Paste, {QKeySequence(Qt::CTRL | Qt::Key_V)}, nullptr);
  WidthUp = make(">>", std::nullopt, {}, &TScheduleEditorWindow::WidthUpExecute);
  WidthDown = make("<<", std::nullopt, {}, &TScheduleEditorWindow::WidthDownExecute);
}

void TScheduleEditorWindow::CreateControls() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);

  ToolBar = new QToolBar(this);
  ToolBar->setFixedHeight(39);
  ToolBar->setIconSize(QSize(16, 16));
  ToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  for (QAction* a : {AddItem, DeleteItem, static_cast<QAction*>(nullptr), Copy, Cut, Paste,
                     static_cast<QAction*>(nullptr), WidthDown, WidthUp}) {
    if (!a) {
      ToolBar->addSeparator();
      continue;
    }
    ToolBar->addAction(a);
    ToolBar->widgetForAction(a)->setFixedSize(49, 35);
  }
  outer->addWidget(ToolBar);

  auto* middle = new QHBoxLayout;
  middle->setSpacing(0);
  ItemTree = new QTreeWidget(this);
  ItemTree->setHeaderHidden(true);
  ItemTree->setColumnCount(1);
  ItemTree->setRootIsDecorated(false);
  ItemTree->setIndentation(19);
  ItemTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ItemTree->setSelectionMode(QAbstractItemView::SingleSelection);
  ItemTree->setIconSize(QSize(16, 16));
  // Long items are scrolled to rather than cut short; >> widens the tree.
  ItemTree->setTextElideMode(Qt::ElideNone);
  ItemTree->header()->setStretchLastSection(false);
  ItemTree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  ItemTree->installEventFilter(this);
  middle->addWidget(ItemTree, 1);

  RightPanel = new QFrame(this);
  RightPanel->setFixedWidth(303);
  RightPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  RightPanel->setAutoFillBackground(true);
  QPalette pal = RightPanel->palette();
  pal.setColor(QPalette::Window, kPanelColor);
  RightPanel->setPalette(pal);
  middle->addWidget(RightPanel);
  outer->addLayout(middle, 1);

  CaptionLabel(QStringLiteral("時刻"), RightPanel, 8);
  cbH = Choice(RightPanel, 88, 8, kHourEntries, QStringLiteral("時"));
  cbN = Choice(RightPanel, 160, 8, kMinuteEntries, QStringLiteral("分"));
  // An all-day item is written without a time, so the time choices rest while it is ticked.
  ckAllDay = new QCheckBox(QStringLiteral("終日"), RightPanel);
  ckAllDay->setGeometry(238, 9, 60, 20);
  ckAllDay->setFocusPolicy(Qt::ClickFocus);
  connect(ckAllDay, &QCheckBox::toggled, this, [this](bool on) {
    cbH->setEnabled(!on);
    cbN->setEnabled(!on);
  });
  CaptionLabel(QStringLiteral("件名"), RightPanel, 36);
  EditSubject = new TEnterAdvanceEdit(RightPanel);
  EditSubject->setGeometry(88, 36, 205, 22);
  CaptionLabel(QStringLiteral("場所"), RightPanel, 64);
  EditPlace = new TEnterAdvanceEdit(RightPanel);
  EditPlace->setGeometry(88, 64, 205, 22);
  CaptionLabel(QStringLiteral("アラーム"), RightPanel, 92);
  ckAlarm = new QCheckBox(RightPanel);
  ckAlarm->setGeometry(88, 93, 20, 20);
  ckAlarm->setFocusPolicy(Qt::ClickFocus);
  // The two boxes stay out of the Tab chain (as 書込, which has Ctrl+S), so each needs a key of
  // its own: without one it could only be ticked with the mouse. The focus stays where it is.
  auto* toggleAlarm = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_A), this);
  connect(toggleAlarm, &QShortcut::activated, ckAlarm, &QCheckBox::toggle);
  ckAlarm->setToolTip(QStringLiteral("アラームの入／切 (Alt+A)"));
  auto* toggleAllDay = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_D), this);
  connect(toggleAllDay, &QShortcut::activated, ckAllDay, &QCheckBox::toggle);
  ckAllDay->setToolTip(QStringLiteral("時刻のない終日の予定 (Alt+D)"));
  CaptionLabel(QStringLiteral("繰り返し"), RightPanel, 120);
  CaptionLabel(QStringLiteral("終了"), RightPanel, 176);
  Repeat = new TRepeatSection(RightPanel, 120);
  auto* toRepeat = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_R), this);
  connect(toRepeat, &QShortcut::activated, this,
          [this] { Repeat->Kind->setFocus(Qt::ShortcutFocusReason); });
  Repeat->Kind->setToolTip(QStringLiteral("繰り返し (Alt+R)"));
  WriteBtn = new QPushButton(WriteItem->text(), RightPanel);
  WriteBtn->setGeometry(218, 236, 75, 25);
  WriteBtn->setFocusPolicy(Qt::ClickFocus);
  connect(WriteBtn, &QPushButton::clicked, WriteItem, &QAction::trigger);
  // Subjects and places are Japanese text: the input method stays available in both boxes and
  // is asked for Japanese where it listens (no platform hint asks for hiragana mode as such),
  // while the hour and minute are chosen from lists.
  for (TEnterAdvanceEdit* edit : {EditSubject, EditPlace}) {
    edit->setAttribute(Qt::WA_InputMethodEnabled, true);
    edit->setInputMethodHints(Qt::ImhNone);
    edit->SetInputLanguage(QStringLiteral("ja-JP"));
    edit->installEventFilter(this);
  }

  auto* bottom = new QFrame(this);
  bottom->setFixedHeight(41);
  auto* buttons = new QHBoxLayout(bottom);
  buttons->setContentsMargins(8, 8, 8, 8);
  buttons->addStretch(1);
  OKBtn = new QPushButton(QStringLiteral("OK"), bottom);
  AbortBtn = new QPushButton(QStringLiteral("中止"), bottom);
  for (QPushButton* b : {OKBtn, AbortBtn}) {
    b->setFixedSize(75, 25);
    buttons->addWidget(b);
  }
  connect(OKBtn, &QPushButton::clicked, this, &TScheduleEditorWindow::accept);
  connect(AbortBtn, &QPushButton::clicked, this, [this] { done(kAbort); });
  outer->addWidget(bottom);

  auto* separator = new QAction(this);
  separator->setSeparator(true);
  for (QWidget* w : {static_cast<QWidget*>(ItemTree), static_cast<QWidget*>(RightPanel)}) {
    w->setContextMenuPolicy(Qt::ActionsContextMenu);
    w->addActions({AddItem, DeleteItem, WriteItem, separator, Copy, Cut, Paste});
  }

  // The subject comes first, as the window opens in it; Enter then walks on through the place
  // and the time to OK.
  setTabOrder(EditSubject, EditPlace);
  setTabOrder(EditPlace, cbH);
  setTabOrder(cbH, cbN);
  setTabOrder(cbN, OKBtn);
  setTabOrder(OKBtn, AbortBtn);
  // 繰り返し is for some items only: Enter through the fields of a plain item goes straight to
  // OK, and Alt+R leads into the section, whose last Enter goes to OK.
  Repeat->LeadOutTo(OKBtn);

  connect(ItemTree, &QTreeWidget::itemSelectionChanged, this,
          &TScheduleEditorWindow::ItemTreeChange);
  // A click shows its item again; one whose selection was just refused (its typed text could
  // not be written) is left alone rather than refused twice.
  connect(ItemTree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    if (item && item->isSelected()) ItemTreeChange();
  });
}

int TScheduleEditorWindow::RunEditor() {
  const int result = exec();
  if (result == QDialog::Accepted) WriteItemExecute();
  return result;
}

void TScheduleEditorWindow::setVisible(bool visible) {
  QDialog::setVisible(visible);
  // A dialog coming up hands its focus widget a Tab's focus, which selects all of a box's text:
  // the first key typed would then replace the subject shown. It goes after it instead.
  if (visible) EditSubject->end(false);
}

void TScheduleEditorWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TScheduleEditorWindow::FormShow() {
  editor_.Open();
  setWindowTitle(QString::fromStdString(editor_.Caption()));
  ShowTree();
  PushFields();
  // Whatever the user types first, Japanese included, is the subject.
  EditSubject->setFocus(Qt::OtherFocusReason);
}

bool TScheduleEditorWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ItemTree && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (IsEnterKey(key)) {
      ShowSelected();
      return true;
    }
    if (key == Qt::Key_Delete) {
      DeleteItemExecute();
      return true;
    }
  }
  // The window's own shortcuts come before any the edit boxes may have for the same keys.
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* ke = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(ke->keyCombination());
    for (QAction* a : {AddItem, DeleteItem, WriteItem}) {
      if (a->isEnabled() && a->shortcuts().contains(pressed)) {
        event->ignore();
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TScheduleEditorWindow::accept() {
  PullFields();
  if (editor_.WillWrite() && !editor_.CheckWritable()) return;
  QDialog::accept();
}

void TScheduleEditorWindow::ItemTreeChange() {
  if (showing_) return;
  const QList<QTreeWidgetItem*> selected = ItemTree->selectedItems();
  const int node = selected.isEmpty() ? -1 : ItemTree->indexOfTopLevelItem(selected.front());
  PullFields();
  // What was typed is written before another item replaces it in the fields. A new item goes
  // to the end of the day, so the positions of the nodes already there stay as they were.
  if (editor_.WriteTyped() == TWriteOutcome::Refused) {
    ShowTree();  // back to the item whose text could not be written, the text kept
    return;
  }
  editor_.Select(node);
  ShowTree();
  PushFields();
}

void TScheduleEditorWindow::ShowSelected() {
  PullFields();
  editor_.ShowSelected();
  PushFields();
}

void TScheduleEditorWindow::ClearFields() {
  editor_.ClearFields();
  PushFields();
}

void TScheduleEditorWindow::WriteItemExecute() {
  PullFields();
  editor_.Write();
  ShowTree();
  PushFields();
}

void TScheduleEditorWindow::AddItemExecute() {
  PullFields();
  const TWriteOutcome outcome = editor_.Add();
  ShowTree();
  PushFields();
  if (outcome != TWriteOutcome::Refused) EditSubject->setFocus(Qt::OtherFocusReason);
}

void TScheduleEditorWindow::DeleteItemExecute() {
  PullFields();
  editor_.Delete();
  ShowTree();
  PushFields();
}

void TScheduleEditorWindow::WidthUpExecute() {
  resize(width() + kWidthStep, height());
}

void TScheduleEditorWindow::WidthDownExecute() {
  resize(width() - kWidthStep, height());
}

void TScheduleEditorWindow::PullFields() {
  TItemFields& f = editor_.Fields;
  f.Subject = ToCp932(EditSubject->text());
  f.Place = ToCp932(EditPlace->text());
  f.Hour = cbH->currentIndex();
  f.Minute = cbN->currentIndex();
  f.Alarm = ckAlarm->isChecked();
  f.AllDay = ckAllDay->isChecked();
  f.Repeat = Repeat->Read();
}

void TScheduleEditorWindow::PushFields() {
  const TItemFields& f = editor_.Fields;
  // Unchanged texts are left alone so that the cursor and selection in them stay.
  const QString subject = FromCp932(f.Subject), place = FromCp932(f.Place);
  if (EditSubject->text() != subject) EditSubject->setText(subject);
  if (EditPlace->text() != place) EditPlace->setText(place);
  cbH->setCurrentIndex(f.Hour);
  cbN->setCurrentIndex(f.Minute);
  ckAlarm->setChecked(f.Alarm);
  ckAllDay->setChecked(f.AllDay);
  Repeat->Show(f.Repeat, DateToJulius(editor_.Year(), static_cast<uint8_t>(editor_.Month()),
                                      static_cast<uint8_t>(editor_.Day())));
}

void TScheduleEditorWindow::SetNode(QTreeWidgetItem* item, const TItemNode& node) {
  const TNodeImages images = NodeImages(node.Alarm);
  item->setText(0, RepeatMarked(FromCp932(node.Text), node.Repeating));
  item->setIcon(0, node.Alarm ? alarmIcon_ : itemIcon_);
  item->setData(0, kIndexRole, static_cast<qulonglong>(node.Index));
  item->setData(0, kImageRole, static_cast<int>(images.Normal));
  item->setData(0, kSelectedImageRole, static_cast<int>(images.Selected));
}

void TScheduleEditorWindow::ShowTree() {
  showing_ = true;
  const std::vector<TItemNode>& nodes = editor_.Nodes();
  if (shownGeneration_ != editor_.TreeGeneration() ||
      static_cast<size_t>(ItemTree->topLevelItemCount()) != nodes.size()) {
    // Removed last to first, as the nodes' indexes go with them.
    for (int i = ItemTree->topLevelItemCount() - 1; i >= 0; --i)
      delete ItemTree->takeTopLevelItem(i);
    for (const TItemNode& node : nodes) SetNode(new QTreeWidgetItem(ItemTree), node);
    shownGeneration_ = editor_.TreeGeneration();
  } else {
    for (size_t i = 0; i < nodes.size(); ++i)
      SetNode(ItemTree->topLevelItem(static_cast<int>(i)), nodes[i]);
  }
  const int selected = editor_.Selected();
  if (selected < 0) {
    ItemTree->clearSelection();
  } else {
    QTreeWidgetItem* item = ItemTree->topLevelItem(selected);
    ItemTree->setCurrentItem(item);
    ItemTree->scrollToItem(item);
  }
  showing_ = false;
}

}  // namespace moriva
