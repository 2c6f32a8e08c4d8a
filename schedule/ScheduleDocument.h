#pragma once
// The main window's schedule file as a document: the current file name, whether the list may
// differ from it, the title that says which file is open, and the file actions 新規, 読込 and
// 保存 with the question asked on closing. It works on the lines of the schedule model it is
// given, commits each complete change there (so the model's watchers look again), and talks to
// the user only through TDialogs, so the window only forwards its gestures here and shows the
// title.
//
// Failures (a file that cannot be read or written, a settings file that cannot be written)
// are shown as error boxes and leave the document as it was; nothing is thrown to the caller.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "base/Dialogs.h"
#include "base/FileLock.h"
#include "base/LineList.h"
#include "schedule/ScheduleModel.h"
#include "schedule/UndoHistory.h"

namespace moriva {

// The question before writing over a file another program changed (UTF-8; %s the file name
// without its folder), in a box titled "確認" with the buttons below, キャンセル the default.
inline constexpr std::string_view kChangedOnDiskQuestion =
    "%s は他のプログラムで書き換えられています。\r\n"
    "再読込: ファイルの内容を読み込みます（ここでの変更は失われます）。\r\n"
    "上書き: ここでの内容でファイルを書き換えます。";
inline constexpr std::string_view kReloadButton = "再読込(&R)";
inline constexpr std::string_view kOverwriteButton = "上書き(&O)";
// How long the window waits for another writer (a sync, an import) before it says so.
inline constexpr std::chrono::seconds kWindowWriterWait{2};

class TScheduleDocument {
 public:
  // `model` and `dialogs` must outlive the document. `configDir` holds "hs110.ini".
  TScheduleDocument(TScheduleModel& model, TDialogs& dialogs, std::filesystem::path configDir);

  const std::filesystem::path& ScheduleFileName() const { return schedule_file_name_; }
  const std::string& Title() const { return title_; }  // UTF-8
  bool Modified = false;

  // Runs after every change of the title.
  std::function<void(const std::string& title)> OnTitleChanged;

  // Reopens at start: the first command-line argument when given, else the remembered file.
  // A file that cannot be read is reported, and the schedule starts untitled and empty, so
  // that nothing is later written over a file that could not be read. Modified is left as it
  // is; the window clears it when its start-up is complete.
  void Reopen(const std::optional<std::string>& firstArgument);

  // Replaces the lines by the file and makes it the current file, not modified. Returns
  // false (after the error box) when the file cannot be read; nothing has changed then.
  bool LoadScheduleFrom(const std::filesystem::path& path);
  // Writes the list to `path`; with an empty path runs SaveScheduleExecute instead. Returns false
  // (after the error box) when the file cannot be written, or another program is writing it;
  // the old file is left as it was. When the current file changed on disk since it was loaded
  // or saved here, asks first (kChangedOnDiskQuestion): 再読込 loads the file's content in place
  // of the list (false), 上書き writes over it, キャンセル keeps both as they are (false).
  bool SaveScheduleTo(const std::filesystem::path& path);

  // After its own question, offers unsaved items for saving as LoadScheduleExecute does.
  void NewScheduleExecute();
  // With unsaved changes, asks the close question with Yes, No and Cancel first; then loads
  // `file` when given (a file dropped on the window), else the file the user chooses.
  void LoadScheduleExecute(const std::optional<std::filesystem::path>& file = std::nullopt);
  void SaveScheduleExecute();
  // 上書き保存: writes the open file without a dialog (asking first only when it changed on
  // disk); an untitled schedule goes through SaveScheduleExecute's dialog.
  void OverwriteScheduleExecute();

  // The close question (はい / いいえ / キャンセル; Esc is キャンセル): whether the window may
  // close. Writes the current file name to the settings file after はい.
  bool CloseQuery();

  // The lines were changed from outside (editor OK, CSV merge): the change becomes one step of
  // the undo history named `label` (UTF-8, the action's caption), it is committed in the model
  // and the list is marked modified (also when nothing changed, as the editor's
  // OK always marks it). `onTakenBack` as for TUndoHistory::Commit.
  void ListEdited(std::string label = {}, std::function<void()> onTakenBack = {});

  // 元に戻す and やり直し: the last committed change taken back, or the last one taken back done
  // again. Modified follows the history: back at the state the file holds, it is cleared.
  // Nothing happens when there is nothing to undo or redo.
  void Undo();
  void Redo();
  const TUndoHistory& History() const { return history_; }

  TLineList& List() { return model_.Lines(); }
  const TLineList& List() const { return model_.Lines(); }
  TScheduleModel& Model() { return model_; }
  TDialogs& Dialogs() { return dialogs_; }

  std::filesystem::path SettingsFile() const;

 private:
  // Asks "データを保存しますか？" with Yes, No and Cancel when there are unsaved items; false when
  // the user cancelled or the save did not happen, so the caller must keep the list as it is.
  bool OfferToSaveChanges();
  // Whether `path` is the current file and was written by someone else since this document
  // last read or wrote it.
  bool ChangedOnDisk(const std::filesystem::path& path) const;
  // The question of SaveScheduleTo; false when nothing is to be written.
  bool AllowedToOverwrite(const std::filesystem::path& path);
  void SetTitle(std::string title);
  void ListChanged();

  TScheduleModel& model_;
  TDialogs& dialogs_;
  std::filesystem::path exe_dir_;
  std::filesystem::path schedule_file_name_;
  // The current file as this document last read or wrote it; empty when untitled or unknown.
  std::optional<TFileStamp> disk_stamp_;
  std::string title_;
  // Cleared by 新規 and 読込: their lists are no edit of the previous one.
  TUndoHistory history_;
};

}  // namespace moriva
