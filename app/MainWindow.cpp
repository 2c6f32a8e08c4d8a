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
#include "app/ReminderNotifier.h"
#include "app/ScheduleEditorWindow.h"
#include "app/SearchPanel.h"
#include "app/SettingsWindow.h"
#include "app/VersionWindow.h"
#include "app/ViewMenu.h"
#include "app/WeeklyCalendar.h"
#include "app/WindowGeometry.h"
#include "base/Cp932.h"
#include "calendar/DayListReport.h"
#include "schedule/ScheduleFile.h"
#include "schedule/ScheduleLine.h"
#include "transfer/CalDavSyncAction.h"
#include "transfer/DroppedFiles.h"
#include "transfer/FileMenuActions.h"
#include "transfer/HandsetTransfer.h"

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
  // The week view's copy holds the committed schedule: an item being typed in the open editor
  // (which may yet be cancelled) raises nothing.
  Reminders = new TReminderNotifier(WC->SpecialDayList(), this);
  document_ = std::make_unique<TScheduleDocument>(MC->SpecialDayList(), dialogs_, Folders.Config);
  document_->OnListChanged = [this] { CopyDayLists(); };
  document_->OnTitleChanged = [this](const std::string& title) { setWindowTitle(FromUtf8(title)); };

  CreateActions();
  CreateMenus();
  CreateToolBar();
  StatusBar1 = new TQtStatusPanels(statusBar());
  Smtp = std::make_unique<TSmtpClient>();
  Smtp->OnError = ErrorBoxHandler(dialogs_);
  Pop3 = std::make_unique<TPop3Client>();
  Pop3->OnError = ErrorBoxHandler(dialogs_);
  // Enter anywhere in the window opens the editor, before the focused control sees it.
  qApp->installEventFilter(this);
  // A dropped schedule opens as 読込 opens one, a CSV or iCalendar file merges as the menu's.
  new TFileDrop(
      *this, [this](const TPaths& paths) { return LoadSche->isEnabled() && AnyDroppable(paths); },
      [this](const TPaths& paths) {
        Guarded([&] {
          OpenDroppedFiles(*document_, paths, TICalZone(LocalTimeZoneName()), TodayJulius());
        });
      });
}

TMainWindow::~TMainWindow() {
  qApp->removeEventFilter(this);
  delete StatusBar1;
}

void TMainWindow::SetupCalendars() {
  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  MC = new TMonthlyCalendar(central);
  MC->setFixedWidth(kMonthWidth);
  MC->SetFirstDayOfWeek(dowSun);
  MC->SetNeighborColor(QColor(192, 192, 192));
  MC->SetDayOfWeekBkColor(QColor(0, 0, 128));
  MC->SetShowNeighbor(true);
  MC->SetNeighborJump(true);
  MC->SetAutoResize(false);
  MC->SetFirstRowFirstDay(false);
  MC->SetLastRowLastDay(false);
  MC->SetShowRokuyo(false);
  MC->SetColor(palette().color(QPalette::Base));
  SetCalendarFonts(MC->Fonts(), true);
  MC->SetJuliusDay(kDesignDay);

  WC = new TWeeklyCalendar(central);
  WC->SetFirstDayOfWeek(dowSun);
  WC->SetColor(palette().color(QPalette::ToolTipBase));
  WC->SetBorderColor(palette().color(QPalette::ToolTipText));
  SetCalendarFonts(WC->Fonts(), false);
  WC->SetDefaultDrawing(false);
  WC->SetJuliusDay(kDesignDay);

  layout->addWidget(MC);
  layout->addWidget(WC, 1);
  setCentralWidget(central);
  // Enlarging the window enlarges both calendars, their cells and fonts.
  new TCalendarGrowth(*this, *central, *MC, *WC, kDesignedSize, kMonthWidth);

  MC->OnDayChange = [this](TCalendarView&, int32_t y, uint8_t m, uint8_t d) { SyncDate(y, m, d); };
  WC->OnDayChange = MC->OnDayChange;
  // Lines the calendar cannot read stay in the schedule as they are; the user is told once per
  // new set of them (the week view holds the same lines and stays silent).
  MC->OnDayListError = [this](TCalendarView&, const std::vector<std::string>& lines) {
    dialogs_.ShowError(FaultyDayLinesText(lines));
  };
  WC->OnDblClick = [this](TCalendarView&) { AddSche->trigger(); };
  WC->OnDrawDayCell = [this](TWeeklyCalendar&, QPainter& canvas, const QString& dayText,
                             const std::string& mainText, QRect& rect,
                             int32_t) { WCDrawDayCell(canvas, dayText, mainText, rect); };
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
  AddSche = make("予定編集", 0, [this] { AddScheExecute(); });
  AddSche->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  AddSche->setShortcutContext(Qt::WindowShortcut);
  addAction(AddSche);
  NewSche = make("新規", 13, [&doc] { doc.NewScheExecute(); });
  LoadSche = make("読込", 2, [&doc] { doc.LoadScheExecute(); });
  SaveSche = make("保存", 3, [&doc] { doc.SaveScheExecute(); });
  XmlOut = make("XML出力", 5, [&doc] { XmlOutExecute(doc); });
  Closes = make("終了", 6, [this] { ClosesExecute(); });
  Version = make("バージョン", -1, [this] { VersionExecute(); });
  Setting = make("設定", -1, [this] { SettingExecute(); });
  JumpToday = make("今日へ", -1, [this] { JumpTodayExecute(); });
  GoToDate = make("日付へ移動", -1, [this] { GoToDateExecute(); });
  GoToDate->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  GoToDate->setShortcutContext(Qt::WindowShortcut);
  addAction(GoToDate);
  HSOutput = make("H\"送信", 4, [this] { HSOutputExecute(); });
  HSInput = make("H\"受信", 7, [this] { HSInputExecute(); });
  PopCancel = make("受信キャンセル", 8, [this] { PopCancelExecute(); });
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
  file->addAction(AddSche);
  file->addSeparator();
  file->addAction(NewSche);
  file->addAction(LoadSche);
  file->addAction(SaveSche);
  file->addSeparator();
  file->addAction(CsvIn);
  file->addAction(CsvOut);
  file->addAction(IcsIn);
  file->addAction(IcsOut);
  file->addAction(XmlOut);
  file->addSeparator();
  // 印刷 (Ctrl+P) and PDF 出力: the month sheet or the agenda of a range.
  PrintMenu = new TPrintMenu(*this, *MC, dialogs_,
                             [this](const std::function<void()>& handler) { Guarded(handler); });
  file->addAction(PrintMenu->Print);
  file->addAction(PrintMenu->PdfOut);
  file->addSeparator();
  file->addAction(Closes);

  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  EditMenu = new TEditMenu(*edit, *this, *document_,
                           [this](const std::function<void()>& handler) { Guarded(handler); });
  edit->addSeparator();
  Search = new TSearchPanel(MC->SpecialDayList(), this);
  Search->OnJump = [this](JuliusDay day) {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(day, y, m, d);
    SyncDate(y, m, d);
  };
  Search->AddActionsTo(*edit, *this);

  // The holiday rules and the rokuyo as the settings file remembers them.
  QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  ViewMenu = new TViewMenu(
      *view, *MC, [this] { CopyDayLists(); }, [this] { return document_->SettingsFile(); },
      [this](const std::function<void()>& handler) { Guarded(handler); });
  ViewMenu->LoadSettings();
  ViewMenu->OnShowEraChanged = [this] { SyncDate(MC->Year(), MC->Month(), MC->Day()); };
  view->addSeparator();
  view->addAction(GoToDate);

  QMenu* transfer = menuBar()->addMenu(QStringLiteral("転送(&T)"));
  transfer->addAction(HSOutput);
  transfer->addSeparator();
  transfer->addAction(HSInput);
  transfer->addAction(CalDavSync);
  transfer->addAction(PopCancel);

  QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  help->addAction(Setting);
  help->addAction(Version);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->addAction(JumpToday);
  PopupMenu1->addAction(GoToDate);
  PopupMenu1->addAction(AddSche);
}

void TMainWindow::CreateToolBar() {
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
  addButton(AddSche);
  bar->addSeparator();
  addButton(HSOutput);
  addButton(HSInput);
  bar->addSeparator();
  addButton(Closes);
}

void TMainWindow::FormShow() {
  if (!RestoreWindowPlacement(*this, document_->SettingsFile())) move(kStartCorner);
  document_->Reopen(firstArgument_);
  CopyDayLists();
  MC->GoToday();
  // Also when the month calendar was on today already and reported no change.
  SyncDate(MC->Year(), MC->Month(), MC->Day());
  document_->Modified = false;
}

void TMainWindow::SyncDate(int32_t y, uint8_t m, uint8_t d) {
  MC->SetDate(y, m, d);
  WC->SetDate(y, m, d);
  ShowDatePanel(*DatePanel, y, m, ViewMenu->ShowsEra());
}

void TMainWindow::CopyDayLists() {
  WC->SetSwitches(MC->Switches());
  WC->SetHolidayList(MC->HolidayList());
  WC->SetSpecialDayList(MC->SpecialDayList());
  Reminders->Check();
  if (Search) Search->ListChanged();
  if (EditMenu) EditMenu->Refresh();
}

bool TMainWindow::FormCloseQuery() {
  return document_->CloseQuery();
}

void TMainWindow::AddScheExecute() {
  TScheduleEditorWindow form(MC->SpecialDayList(), MC->Year(), MC->Month(), MC->Day(), dialogs_,
                             this);
  if (form.RunEditor() == QDialog::Accepted) {
    // One step of the undo history; the week view copies the list; the schedule is modified.
    document_->ListEdited(AddSche->text().toStdString());
  } else {
    // Everything done while the editor was open is undone from the week view's copy.
    MC->SpecialDayList().Assign(WC->SpecialDayList());
  }
}

void TMainWindow::SetTransferring(bool on) {
  transferring_ = on;
  for (QAction* a :
       {AddSche, NewSche, LoadSche, SaveSche, CsvIn, CsvOut, IcsIn, IcsOut, XmlOut, HSOutput,
        HSInput, CalDavSync, Closes, Setting, PrintMenu->Print, PrintMenu->PdfOut}) {
    a->setEnabled(!on);
  }
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

void TMainWindow::HSOutputExecute() {
  if (transferring_) return;
  TTransferScope scope([this](bool on) { SetTransferring(on); });
  TTransferContext context(dialogs_, Folders);
  context.ProcessMessages = [] { QCoreApplication::processEvents(); };
  SendScheduleToPhone(*Smtp, context, MC->SpecialDayList(), TodayJulius());
}

void TMainWindow::HSInputExecute() {
  if (transferring_) return;
  TTransferScope scope([this](bool on) { SetTransferring(on); });
  TTransferContext context(dialogs_, Folders);
  context.Status = StatusBar1;
  context.ProcessMessages = [] { QCoreApplication::processEvents(); };
  const TReceiveAndMerge r = ReceiveIntoSchedule(*Pop3, context, MC->SpecialDayList());
  if (r.Merged) {
    document_->ListEdited(HSInput->text().toStdString());
    dialogs_.ShowMessage(MergeCompletionMessage(*r.Merged), {}, TMsgIcon::None);
  }
  StatusBar1->SetPanelText(kStatusPanel, ReceivedCountText(r.Received.Count));
}

void TMainWindow::CalDavSyncExecute() {
  if (transferring_) return;
  TTransferScope scope([this](bool on) { SetTransferring(on); });
  calDavCancel_ = false;
  TTransferContext context(dialogs_, Folders);
  context.Status = StatusBar1;
  context.ProcessMessages = [] { QCoreApplication::processEvents(); };
  context.CancelRequested = [this] { return calDavCancel_; };
  SyncDocumentWithCalDav(*document_, context, TICalZone(LocalTimeZoneName()), TodayJulius(),
                         std::time(nullptr));
}

void TMainWindow::PopCancelExecute() {
  Pop3->Cancel();
  calDavCancel_ = true;
}

void TMainWindow::ClosesExecute() {
  close();
}

void TMainWindow::JumpTodayExecute() {
  MC->GoToday();
}

void TMainWindow::GoToDateExecute() {
  TGoToDateDialog form(MC->Year(), this);
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

void TMainWindow::WCDrawDayCell(QPainter& canvas, const QString& dayText,
                                const std::string& mainText, const QRect& rect) {
  canvas.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                  WeekCellText(dayText, mainText));
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
    PopCancelExecute();
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
        widget->window() == this && !qobject_cast<QMenuBar*>(widget) &&
        !QApplication::activeModalWidget() && AddSche->isEnabled()) {
      AddSche->trigger();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainWindow::contextMenuEvent(QContextMenuEvent* event) {
  PopupMenu1->popup(event->globalPos());
}

}  // namespace moriva
