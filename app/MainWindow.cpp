#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "app/AppIcon.h"
#include "app/EditMenu.h"
#include "app/FileDrop.h"
#include "app/FormFont.h"
#include "app/GoToDateDialog.h"
#include "app/MenuBarStyle.h"
#include "app/MonthlyCalendar.h"
#include "app/PrintMenu.h"
#include "app/QtDialogs.h"
#include "app/QuickAddBox.h"
#include "app/ReminderNotifier.h"
#include "app/ScheduleEditorWindow.h"
#include "app/SearchPanel.h"
#include "app/SettingsWindow.h"
#include "app/VersionWindow.h"
#include "app/ViewMenu.h"
#include "app/WeeklyCalendar.h"
#include "app/WindowGeometry.h"
#include "base/Cp932.h"
#include "caldav/CalDavSyncAction.h"
#include "calendar/DayListReport.h"
#include "formats/DroppedFiles.h"
#include "formats/FileMenuActions.h"
#include "handset/MailServerAddress.h"
#include "handset/ReceiveFromHandset.h"
#include "handset/SendToHandset.h"
#include "schedule/ScheduleFile.h"
#include "schedule/ScheduleLine.h"

namespace moriva {
namespace {

// The day both calendars are designed on (13 July 2001); start-up moves them to today.
constexpr JuliusDay kDesignDay = 2452104;
// The window's designed size (its smallest), the month calendar's width at it, and where the
// window comes up when it has no remembered place.
constexpr QSize kDesignedSize(574, 300);
constexpr int kMonthWidth = 176;
constexpr QPoint kStartCorner(10, 10);

QString FromCp932(std::string_view text) {
  return QString::fromStdU16String(Cp932ToUtf16(text));
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TCalendarFont Font(QColor color, bool bold = false, bool underline = false, int height = 12) {
  QFont f = FormFont(height);
  f.setBold(bold);
  f.setUnderline(underline);
  return TCalendarFont(f, color);
}

// The fonts both calendars share; the month view's special days are bold and underlined.
void SetCalendarFonts(TCalendarFonts& fonts, bool strongSpecialDays) {
  fonts.SetWeekday(Font(Qt::black));
  fonts.SetSaturday(Font(Qt::blue));
  fonts.SetSunday(Font(Qt::red));
  fonts.SetDayOfWeek(Font(Qt::white));
  fonts.SetHoliday(Font(Qt::red));
  fonts.SetSpecialDay(Font(QColor(0, 128, 0), strongSpecialDays, strongSpecialDays));
  fonts.SetRokuyo(Font(Qt::black, false, false, 13));
}

}  // namespace

template <typename F>
void TMainWindow::Guarded(F&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    dialogs_.ShowError(e.what());
  }
}

TMainWindow::TMainWindow(TDialogs& dialogs, TProgramFolders folders,
                         std::optional<std::string> firstArgument, QWidget* parent)
    : QMainWindow(parent),
      Folders(std::move(folders)),
      dialogs_(dialogs),
      firstArgument_(std::move(firstArgument)) {
  setWindowTitle(QStringLiteral("Moriva"));
  setWindowIcon(ProgramIcon());
  setFont(FormFont(12));
  resize(kDesignedSize);

  SetupCalendars();
  Reminders = new TReminderNotifier(Schedule, this);
  document_ = std::make_unique<TScheduleDocument>(Schedule, dialogs_, Folders.Config);
  // Lines the calendars cannot read stay in the schedule as they are; the user is told once per
  // new set of them.
  Schedule.OnDayListError = [this](const std::vector<std::string>& lines) {
    dialogs_.ShowError(FaultyDayLinesText(lines));
  };
  document_->OnTitleChanged = [this](const std::string& title) { setWindowTitle(FromUtf8(title)); };

  CreateActions();
  CreateMenus();
  CreateToolBar();
  StatusPanels = new TQtStatusPanels(statusBar());
  Smtp = std::make_unique<TSmtpClient>();
  Smtp->OnError = ErrorBoxHandler(dialogs_);
  Pop3 = std::make_unique<TPop3Client>();
  Pop3->OnError = ErrorBoxHandler(dialogs_);
  // Enter anywhere in the window opens the editor, before the focused control sees it.
  qApp->installEventFilter(this);
  // A dropped schedule opens as 読込 opens one, a CSV or iCalendar file merges as the menu's.
  new TFileDrop(
      *this,
      [this](const TPaths& paths) { return LoadSchedule->isEnabled() && AnyDroppable(paths); },
      [this](const TPaths& paths) {
        Guarded([&] {
          OpenDroppedFiles(*document_, paths, TICalZone(LocalTimeZoneName()), TodayJulius());
        });
      });
}

TMainWindow::~TMainWindow() {
  qApp->removeEventFilter(this);
  delete StatusPanels;
  // The calendars, the search and the reminders read the schedule: they go before it, not with
  // the window's other children after every member is gone.
  delete Search;
  delete Reminders;
  delete centralWidget();
}

void TMainWindow::SetupCalendars() {
  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  MonthCalendar = new TMonthlyCalendar(Schedule, central);
  MonthCalendar->setFixedWidth(kMonthWidth);
  MonthCalendar->SetShowNeighbor(true);
  MonthCalendar->SetNeighborJump(true);
  MonthCalendar->SetAutoResize(false);
  MonthCalendar->SetShowRokuyo(false);
  MonthCalendar->SetColor(palette().color(QPalette::Base));
  SetCalendarFonts(MonthCalendar->Fonts(), true);
  MonthCalendar->SetJuliusDay(kDesignDay);

  WeekCalendar = new TWeeklyCalendar(Schedule, central);
  WeekCalendar->SetColor(palette().color(QPalette::ToolTipBase));
  WeekCalendar->SetBorderColor(palette().color(QPalette::ToolTipText));
  SetCalendarFonts(WeekCalendar->Fonts(), false);
  WeekCalendar->SetDefaultDrawing(false);
  WeekCalendar->SetJuliusDay(kDesignDay);

  layout->addWidget(MonthCalendar);
  layout->addWidget(WeekCalendar, 1);
  setCentralWidget(central);
  // Enlarging the window enlarges both calendars, their cells and fonts.
  new TCalendarGrowth(*this, *central, *MonthCalendar, *WeekCalendar, kDesignedSize, kMonthWidth);

  MonthCalendar->OnDayChange = [this](TCalendarView&, int32_t y, uint8_t m, uint8_t d) {
    SyncDate(y, m, d);
  };
  WeekCalendar->OnDayChange = MonthCalendar->OnDayChange;
  WeekCalendar->OnDblClick = [this](TCalendarView&) { EditSchedule->trigger(); };
  MonthCalendar->OnDblClick = WeekCalendar->OnDblClick;
  // The wheel turns the month calendar by months and the week list by weeks.
  MonthCalendar->OnWheel = [](TCalendarView& c, int steps) {
    for (; steps > 0; --steps) c.NextMonth();
    for (; steps < 0; ++steps) c.PrevMonth();
  };
  WeekCalendar->OnWheel = [](TCalendarView& c, int steps) {
    for (; steps > 0; --steps) c.NextWeek();
    for (; steps < 0; ++steps) c.PrevWeek();
  };
  // The old layout, when 表示 chooses it; the list reads by time otherwise (ViewMenu).
  WeekCalendar->OnDrawDayCell = [this](TWeeklyCalendar& sender, QPainter& canvas,
                                       const QString& dayText, const std::string& mainText,
                                       QRect& rect, int32_t row) {
    DrawWeekDayCell(canvas, dayText, mainText, sender.SeasonalSuffix(sender.GetWeekStart() + row),
                    rect);
  };
}

void TMainWindow::CreateActions() {
  auto make = [this](const char* caption, int image, auto handler) {
    auto* a = new QAction(QString::fromUtf8(caption), this);
    if (image >= 0) a->setIcon(ActionIcon(image));
    connect(a, &QAction::triggered, this,
            [this, handler] { Guarded([this, handler] { handler(); }); });
    return a;
  };
  TScheduleDocument& doc = *document_;
  EditSchedule = make("予定編集", 0, [this] { EditScheduleExecute(); });
  EditSchedule->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  EditSchedule->setShortcutContext(Qt::WindowShortcut);
  addAction(EditSchedule);
  NewSchedule = make("新規", 13, [&doc] { doc.NewScheduleExecute(); });
  LoadSchedule = make("読込", 2, [&doc] { doc.LoadScheduleExecute(); });
  OverwriteSchedule = make("上書き保存", 3, [&doc] { doc.OverwriteScheduleExecute(); });
  SaveSchedule = make("名前を付けて保存", -1, [&doc] { doc.SaveScheduleExecute(); });
  // The keys every desktop program answers; shown beside the entries in the menu.
  for (const auto& [action, keys] :
       {std::pair{NewSchedule, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {LoadSchedule, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {OverwriteSchedule, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {SaveSchedule, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}}) {
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
  }
  XmlOut = make("XML出力", 5, [&doc] { XmlOutExecute(doc); });
  Closes = make("終了", 6, [this] { ClosesExecute(); });
  Version = make("バージョン", -1, [this] { VersionExecute(); });
  Setting = make("設定", -1, [this] { SettingExecute(); });
  JumpToday = make("今日へ", -1, [this] { JumpTodayExecute(); });
  JumpToday->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  JumpToday->setShortcutContext(Qt::WindowShortcut);
  addAction(JumpToday);
  GoToDate = make("日付へ移動", -1, [this] { GoToDateExecute(); });
  GoToDate->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  GoToDate->setShortcutContext(Qt::WindowShortcut);
  addAction(GoToDate);
  FocusQuickAdd = make("クイック追加", -1, [this] {
    QuickAdd->setFocus(Qt::ShortcutFocusReason);
    QuickAdd->selectAll();
  });
  FocusQuickAdd->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  FocusQuickAdd->setShortcutContext(Qt::WindowShortcut);
  addAction(FocusQuickAdd);
  SendToHandset = make("H\"送信", 4, [this] { SendToHandsetExecute(); });
  ReceiveFromHandset = make("H\"受信", 7, [this] { ReceiveFromHandsetExecute(); });
  CancelTransfer = make("受信キャンセル", 8, [this] { CancelTransferExecute(); });
  CalDavSync = make("CalDAV 同期", 7, [this] { CalDavSyncExecute(); });
  CsvIn = make("CSV読込", 14, [&doc] { CsvInExecute(doc); });
  CsvOut = make("CSV出力", 14, [this, &doc] { CsvOutExecute(doc, TodayJulius()); });
  IcsIn = make("iCalendar 読込", 14,
               [&doc] { IcsInExecute(doc, TICalZone(LocalTimeZoneName()), TodayJulius()); });
  IcsOut = make("iCalendar 書出", 14,
                [&doc] { IcsOutExecute(doc, TICalZone(LocalTimeZoneName()), std::time(nullptr)); });
}

void TMainWindow::CreateMenus() {
  HighlightKeyboardMenus(menuBar());
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  file->addAction(EditSchedule);
  file->addSeparator();
  file->addAction(NewSchedule);
  file->addAction(LoadSchedule);
  file->addAction(OverwriteSchedule);
  file->addAction(SaveSchedule);
  file->addSeparator();
  file->addAction(CsvIn);
  file->addAction(CsvOut);
  file->addAction(IcsIn);
  file->addAction(IcsOut);
  file->addAction(XmlOut);
  file->addSeparator();
  // 印刷 (Ctrl+P) and PDF 出力: the month sheet or the agenda of a range.
  PrintMenu = new TPrintMenu(*this, *MonthCalendar, dialogs_,
                             [this](const std::function<void()>& handler) { Guarded(handler); });
  file->addAction(PrintMenu->Print);
  file->addAction(PrintMenu->PdfOut);
  file->addSeparator();
  file->addAction(Closes);

  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  EditMenu = new TEditMenu(*edit, *this, *document_,
                           [this](const std::function<void()>& handler) { Guarded(handler); });
  edit->addSeparator();
  Search = new TSearchPanel(Schedule, this);
  Search->OnJump = [this](JuliusDay day) {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(day, y, m, d);
    SyncDate(y, m, d);
  };
  Search->AddActionsTo(*edit, *this);

  // The holiday rules, the rokuyo, the era and the week list's layout as the settings file
  // remembers them.
  QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  ViewMenu = new TViewMenu(
      *view, Schedule, *MonthCalendar, *WeekCalendar, [this] { return document_->SettingsFile(); },
      [this](const std::function<void()>& handler) { Guarded(handler); });
  ViewMenu->OnShowSeasonalDaysChanged = [this](bool on) { WeekCalendar->SetShowSeasonalDays(on); };
  // The date panel's tooltip names what the switches show. The panel comes with the toolbar,
  // after the settings are first read.
  for (QAction* a : {ViewMenu->ShowRokuyo, ViewMenu->ShowSeasonalDays})
    connect(a, &QAction::toggled, this, [this] {
      if (DatePanel) SyncDate(MonthCalendar->Year(), MonthCalendar->Month(), MonthCalendar->Day());
    });
  ViewMenu->LoadSettings();
  ViewMenu->OnShowEraChanged = [this] {
    SyncDate(MonthCalendar->Year(), MonthCalendar->Month(), MonthCalendar->Day());
  };
  view->addSeparator();
  view->addAction(JumpToday);
  view->addAction(GoToDate);

  QMenu* transfer = menuBar()->addMenu(QStringLiteral("転送(&T)"));
  transfer->addAction(SendToHandset);
  transfer->addSeparator();
  transfer->addAction(ReceiveFromHandset);
  transfer->addAction(CalDavSync);
  transfer->addAction(CancelTransfer);

  QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  help->addAction(Setting);
  help->addAction(Version);

  CalendarMenu = new QMenu(this);
  CalendarMenu->addAction(JumpToday);
  CalendarMenu->addAction(GoToDate);
  CalendarMenu->addAction(EditSchedule);
}

void TMainWindow::CreateToolBar() {
  // The title is the text of the window's own toolbar toggle; kept as users have always seen it.
  QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setFixedHeight(39);
  bar->setIconSize(QSize(16, 16));
  bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  bar->setContextMenuPolicy(Qt::PreventContextMenu);

  DatePanel = new QLabel(QStringLiteral("Date"), bar);
  DatePanel->setFixedSize(133, 35);
  DatePanel->setAlignment(Qt::AlignCenter);
  QFont f = FormFont(19);
  f.setBold(true);
  DatePanel->setFont(f);
  // A style sheet, because the toolbar's style paints over a label's palette.
  DatePanel->setStyleSheet(
      QStringLiteral("QLabel { background-color: rgb(0, 128, 128); color: rgb(255, 255, 202); }"));
  bar->addWidget(DatePanel);

  auto addButton = [bar](QAction* a) {
    if (!a) return;
    bar->addAction(a);
    if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a))) {
      button->setFixedSize(55, 35);
      button->setAutoRaise(true);
    }
  };
  addButton(EditSchedule);
  addButton(JumpToday);
  bar->addSeparator();
  addButton(SendToHandset);
  addButton(ReceiveFromHandset);
  bar->addSeparator();
  addButton(Closes);
  bar->addSeparator();
  // The rest of the toolbar's width, however wide the window grows.
  QuickAdd = new TQuickAddBox(this, bar);
  QuickAdd->setMinimumWidth(120);
  QuickAdd->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  QuickAdd->OnAdd = [this](const TQuickItem& item) { Guarded([&] { QuickAddExecute(item); }); };
  QuickAdd->OnLeave = [this] { MonthCalendar->setFocus(); };
  bar->addWidget(QuickAdd);
}

void TMainWindow::FormShow() {
  if (!RestoreWindowPlacement(*this, document_->SettingsFile())) move(kStartCorner);
  document_->Reopen(firstArgument_);
  Schedule.Commit();
  MonthCalendar->GoToday();
  // Also when the month calendar was on today already and reported no change.
  SyncDate(MonthCalendar->Year(), MonthCalendar->Month(), MonthCalendar->Day());
  document_->Modified = false;
}

void TMainWindow::SyncDate(int32_t y, uint8_t m, uint8_t d) {
  MonthCalendar->SetDate(y, m, d);
  WeekCalendar->SetDate(y, m, d);
  ShowDatePanel(*DatePanel, y, m, ViewMenu->ShowsEra());
  DatePanel->setToolTip(DatePanelToolTip(y, m, d, ViewMenu->ShowRokuyo->isChecked(),
                                         ViewMenu->ShowSeasonalDays->isChecked()));
}

bool TMainWindow::FormCloseQuery() {
  return document_->CloseQuery();
}

void TMainWindow::EditScheduleExecute() {
  // The editor writes into the schedule at once; the model keeps the lines as they were, for
  // 中止 and for whatever leaves this function by an exception.
  Schedule.BeginEdit();
  struct TSessionEnd {
    TScheduleModel& schedule;
    ~TSessionEnd() { schedule.CancelEdit(); }
  } cancelUnlessEnded{Schedule};
  TScheduleEditorWindow form(Schedule, MonthCalendar->Year(), MonthCalendar->Month(),
                             MonthCalendar->Day(), dialogs_, this);
  if (form.RunEditor() != QDialog::Accepted) return;
  Schedule.EndEdit();
  // One step of the undo history, committed in the model; the schedule is modified.
  document_->ListEdited(EditSchedule->text().toStdString());
}

void TMainWindow::QuickAddExecute(const TQuickItem& item) {
  if (item.Rule)
    Schedule.AddSeries(QuickItemSeries(item));
  else
    Schedule.Lines().Add(QuickItemLine(item));
  document_->ListEdited(FocusQuickAdd->text().toStdString());
  int32_t y;
  uint8_t m, d;
  JuliusToDate(item.Day, y, m, d);
  SyncDate(y, m, d);
}

void TMainWindow::SetTransferring(bool on) {
  transferring_ = on;
  for (QAction* a : {EditSchedule, NewSchedule, LoadSchedule, OverwriteSchedule, SaveSchedule,
                     CsvIn, CsvOut, IcsIn, IcsOut, XmlOut, SendToHandset, ReceiveFromHandset,
                     CalDavSync, Closes, Setting, PrintMenu->Print, PrintMenu->PdfOut}) {
    a->setEnabled(!on);
  }
  FocusQuickAdd->setEnabled(!on);
  QuickAdd->setEnabled(!on);
  EditMenu->SetBlocked(on);
  if (!on && closeAfterTransfer_) {
    closeAfterTransfer_ = false;
    // Queued: the transfer's handler is still on the stack and has its last words to say.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
}

namespace {

// Keeps the window in its transfer state for one road, whatever way the road ends.
class TTransferScope {
 public:
  TTransferScope(std::function<void(bool)> set) : set_(std::move(set)) { set_(true); }
  ~TTransferScope() { set_(false); }

 private:
  std::function<void(bool)> set_;
};

}  // namespace

void TMainWindow::SendToHandsetExecute() {
  if (transferring_) return;
  TTransferScope scope([this](bool on) { SetTransferring(on); });
  THandsetContext context(dialogs_, Folders);
  context.ProcessMessages = [] { QCoreApplication::processEvents(); };
  SendScheduleToPhone(*Smtp, context, Schedule.Lines(), TodayJulius(), true, Schedule.Rules());
}

void TMainWindow::ReceiveFromHandsetExecute() {
  if (transferring_) return;
  TTransferScope scope([this](bool on) { SetTransferring(on); });
  TTransferContext context(dialogs_, Folders);
  context.Status = StatusPanels;
  context.ProcessMessages = [] { QCoreApplication::processEvents(); };
  const TReceiveAndMerge r = ReceiveIntoSchedule(*Pop3, context, Schedule.Lines());
  if (r.Merged) {
    document_->ListEdited(ReceiveFromHandset->text().toStdString());
    dialogs_.ShowMessage(MergeCompletionMessage(*r.Merged), {}, TMsgIcon::None);
  }
  StatusPanels->SetPanelText(kStatusPanel, ReceivedCountText(r.Received.Count));
}

void TMainWindow::CalDavSyncExecute() {
  if (transferring_) return;
  TTransferScope scope([this](bool on) { SetTransferring(on); });
  calDavCancel_ = false;
  TTransferContext context(dialogs_, Folders);
  context.Status = StatusPanels;
  context.ProcessMessages = [] { QCoreApplication::processEvents(); };
  context.CancelRequested = [this] { return calDavCancel_; };
  SyncDocumentWithCalDav(*document_, context, TICalZone(LocalTimeZoneName()), TodayJulius(),
                         std::time(nullptr));
}

void TMainWindow::CancelTransferExecute() {
  Pop3->Cancel();
  calDavCancel_ = true;
}

void TMainWindow::ClosesExecute() {
  close();
}

void TMainWindow::JumpTodayExecute() {
  MonthCalendar->GoToday();
}

void TMainWindow::GoToDateExecute() {
  TGoToDateDialog form(MonthCalendar->Year(), this);
  if (form.exec() != QDialog::Accepted || !form.Day) return;
  int32_t y;
  uint8_t m, d;
  JuliusToDate(*form.Day, y, m, d);
  SyncDate(y, m, d);
}

void TMainWindow::VersionExecute() {
  TVersionWindow form(this, &Folders);
  form.exec();
}

void TMainWindow::SettingExecute() {
  TSettingsWindow form(dialogs_, document_->SettingsFile(), this);
  form.ShowSettings();
}

QString TMainWindow::WeekCellText(const QString& dayText, const std::string& mainText) {
  return dayText + FromCp932(WeekViewText(mainText));
}

void TMainWindow::DrawWeekDayCell(QPainter& canvas, const QString& dayText,
                                  const std::string& mainText, const QString& seasonal,
                                  const QRect& rect) {
  canvas.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                  WeekCellText(dayText, mainText) + seasonal);
}

void TMainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  Guarded([this] { FormShow(); });
}

void TMainWindow::closeEvent(QCloseEvent* event) {
  bool mayClose = false;
  // A running transfer holds the window's state on its stack; it has to end first. It is asked
  // to stop, and the close follows when it has, so the request is not silently lost.
  if (transferring_) {
    closeAfterTransfer_ = true;
    CancelTransferExecute();
  } else {
    Guarded([&] { mayClose = FormCloseQuery(); });
  }
  if (mayClose) {
    try {
      SaveWindowPlacement(*this, document_->SettingsFile(), kStartCorner, kDesignedSize);
    } catch (const std::exception&) {
      // Only the window's place is lost; a settings file that cannot be written has been
      // reported by the close question already.
    }
    event->accept();
  } else {
    event->ignore();
  }
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(watched);
    // Not while the menu bar is walked by keyboard: there Enter opens the chosen menu.
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && widget &&
        widget->window() == this && !qobject_cast<QMenuBar*>(widget) && widget != QuickAdd &&
        !QApplication::activeModalWidget() && EditSchedule->isEnabled()) {
      EditSchedule->trigger();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainWindow::contextMenuEvent(QContextMenuEvent* event) {
  CalendarMenu->popup(event->globalPos());
}

}  // namespace moriva
