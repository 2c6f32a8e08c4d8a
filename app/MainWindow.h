#pragma once
// The main window: the month calendar and the week calendar side by side, kept on one day; the
// schedule file with its new, open and save actions and the close question; the menus, the
// toolbar and the status bar through which every other function is reached.
#include <QMainWindow>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "base/Dialogs.h"
#include "base/LineList.h"
#include "base/ProgramFolders.h"
#include "schedule/ScheduleDocument.h"
#include "schedule/ScheduleModel.h"

class QAction;
class QLabel;
class QMenu;
class QPainter;
class QRect;

namespace moriva {

class TMonthlyCalendar;
class TPop3Client;
class TSmtpClient;
class TWeeklyCalendar;
class TQtStatusPanels;
class TReminderNotifier;
class TSearchPanel;
class TEditMenu;
class TViewMenu;
class TPrintMenu;
class TQuickAddBox;
struct TQuickItem;

class TMainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `folders` are where the settings and the mail files live (a single folder converts: both
  // beside each other); `firstArgument` the first command-line argument, if any. `dialogs`
  // must outlive the window.
  TMainWindow(TDialogs& dialogs, TProgramFolders folders, std::optional<std::string> firstArgument,
              QWidget* parent = nullptr);
  ~TMainWindow() override;

  // --- State ------------------------------------------------------------------------
  TProgramFolders Folders;
  // The schedule and its holidays, which both calendars, search, reminders and print show.
  TScheduleModel Schedule;
  // The schedule file: ScheduleFileName, Modified, the title and the file actions.
  TScheduleDocument& Document() { return *document_; }
  const std::filesystem::path& ScheduleFileName() const { return document_->ScheduleFileName(); }
  bool Modified() const { return document_->Modified; }

  // --- Components -------------------------------------------------------------------
  TMonthlyCalendar* MonthCalendar = nullptr;
  TWeeklyCalendar* WeekCalendar = nullptr;
  QLabel* DatePanel = nullptr;
  TQtStatusPanels* StatusPanels = nullptr;
  std::unique_ptr<TSmtpClient> Smtp;
  std::unique_ptr<TPop3Client> Pop3;
  // Desktop notifications of the alarm items, rechecked whenever a change is committed.
  TReminderNotifier* Reminders = nullptr;

  QAction* EditSchedule =
      nullptr;  // 予定編集; Enter and a double click on the week view run it too
  QAction* NewSchedule = nullptr;
  QAction* LoadSchedule = nullptr;
  QAction* OverwriteSchedule = nullptr;  // 上書き保存 (Ctrl+S): the open file, no dialog
  QAction* SaveSchedule = nullptr;       // 名前を付けて保存 (Ctrl+Shift+S)
  QAction* CsvIn = nullptr;
  QAction* CsvOut = nullptr;
  QAction* IcsIn = nullptr;
  QAction* IcsOut = nullptr;
  QAction* XmlOut = nullptr;
  QAction* SendToHandset = nullptr;
  QAction* ReceiveFromHandset = nullptr;
  QAction* CancelTransfer = nullptr;  // 受信キャンセル: stops a receive or a CalDAV sync
  QAction* CalDavSync = nullptr;      // CalDAV 同期
  QAction* Closes = nullptr;
  QAction* Version = nullptr;
  QAction* Setting = nullptr;
  QAction* JumpToday = nullptr;
  QAction* GoToDate = nullptr;      // 日付へ移動 (Ctrl+G)
  TViewMenu* ViewMenu = nullptr;    // 表示: the holiday rule set and the rokuyo
  TPrintMenu* PrintMenu = nullptr;  // 印刷 and PDF 出力 in the file menu
  TSearchPanel* Search = nullptr;   // 検索 (Ctrl+F, F3, Shift+F3), in the 編集 menu
  TEditMenu* EditMenu = nullptr;    // 元に戻す (Ctrl+Z) and やり直し (Ctrl+Y)
  // The toolbar's box that makes an item of one typed line, and クイック追加 (Ctrl+L) to reach it.
  TQuickAddBox* QuickAdd = nullptr;
  QAction* FocusQuickAdd = nullptr;

  // --- Operations -------------------------------------------------------------------
  // The start-up sequence; runs once, when the window is first shown.
  void FormShow();
  // Sets both calendars to the day and the date panel to its year and month.
  void SyncDate(int32_t y, uint8_t m, uint8_t d);
  // Whether the window may close now (the close question of the document).
  bool FormCloseQuery();

  // The schedule editor on the month calendar's day: OK commits, any other end undoes.
  void EditScheduleExecute();
  // The item or series of the quick-add box added as one step of the undo history; both
  // calendars move to its day.
  void QuickAddExecute(const TQuickItem& item);
  void ClosesExecute();
  // The handset roads. While one runs, every action that could re-enter it is disabled; only
  // 受信キャンセル, which is always enabled, stays so.
  void SendToHandsetExecute();
  void ReceiveFromHandsetExecute();
  // Two-way sync with the CalDAV calendar of the settings (SyncDocumentWithCalDav).
  void CalDavSyncExecute();
  void CancelTransferExecute();
  bool Transferring() const { return transferring_; }
  void JumpTodayExecute();
  // Asks for a date (TGoToDateDialog) and moves both calendars there.
  void GoToDateExecute();
  void VersionExecute();
  void SettingExecute();

  // The text of one day in the week list's old layout (週表示: 登録順 (旧来)), as
  // DrawWeekDayCell draws it (UTF-8), for tests.
  static QString WeekCellText(const QString& dayText, const std::string& mainText);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void SetupCalendars();
  // Disables the actions a running transfer must not meet again, and enables them afterwards.
  void SetTransferring(bool on);
  // `seasonal`: the week calendar's SeasonalSuffix of the day, after the day's names.
  void DrawWeekDayCell(QPainter& canvas, const QString& dayText, const std::string& mainText,
                       const QString& seasonal, const QRect& rect);
  // Runs an action's handler; an exception that escapes it is shown in an error box, as the
  // window loop's default handler would, and the program goes on.
  template <typename F>
  void Guarded(F&& handler);

  TDialogs& dialogs_;
  std::unique_ptr<TScheduleDocument> document_;
  std::optional<std::string> firstArgument_;
  QMenu* CalendarMenu = nullptr;
  bool shown_ = false;
  bool transferring_ = false;
  bool calDavCancel_ = false;  // set by 受信キャンセル while a CalDAV sync runs
  // The window was asked to close (its close button, SIGTERM) while a transfer ran: the transfer
  // is cancelled and the window closes, as asked, once it has ended.
  bool closeAfterTransfer_ = false;
};

}  // namespace moriva
