#include "schedule/ScheduleDocument.h"

#include <utility>

#include "base/Exception.h"
#include "schedule/ScheduleFile.h"

namespace fs = std::filesystem;

namespace moriva {

TScheduleDocument::TScheduleDocument(TScheduleModel& model, TDialogs& dialogs, fs::path exeDir)
    : model_(model), dialogs_(dialogs), exe_dir_(std::move(exeDir)), title_(kUntitledTitle) {
  history_.Reset(model_.Lines(), true);
}

void TScheduleDocument::ListEdited(std::string label, std::function<void()> onTakenBack) {
  history_.Commit(model_.Lines(), std::move(label), std::move(onTakenBack));
  ListChanged();
  Modified = true;
}

void TScheduleDocument::Undo() {
  if (!history_.Undo(model_.Lines())) return;
  Modified = !history_.AtSaved();
  ListChanged();
}

void TScheduleDocument::Redo() {
  if (!history_.Redo(model_.Lines())) return;
  Modified = !history_.AtSaved();
  ListChanged();
}

fs::path TScheduleDocument::SettingsFile() const {
  return SettingsFilePath(exe_dir_);
}

void TScheduleDocument::SetTitle(std::string title) {
  title_ = std::move(title);
  if (OnTitleChanged) OnTitleChanged(title_);
}

void TScheduleDocument::ListChanged() {
  model_.Commit();
}

void TScheduleDocument::Reopen(const std::optional<std::string>& firstArgument) {
  std::optional<TStartupFile> start = StartupScheduleFile(firstArgument, SettingsFile());
  if (!start) return;
  if (LoadScheduleFrom(start->Path)) return;
  // A remembered path stays named nowhere: closing would otherwise write the empty list over
  // the file that could not be read, or remember a file that does not open.
  schedule_file_name_.clear();
  disk_stamp_.reset();
  model_.Lines().Clear();
  history_.Reset(model_.Lines(), true);
  SetTitle(std::string(kUntitledTitle));
  ListChanged();
}

bool TScheduleDocument::LoadScheduleFrom(const fs::path& path) {
  // Taken before reading: a save by someone else while this reads only makes the next save ask.
  const std::optional<TFileStamp> stamp = StampOfFile(path);
  try {
    LoadScheduleFile(path, model_.Lines());
  } catch (const Exception& e) {
    dialogs_.ShowError(e.what());
    return false;
  }
  schedule_file_name_ = path;
  disk_stamp_ = stamp;
  history_.Reset(model_.Lines(), true);
  SetTitle(TitleAfterLoad(path));
  ListChanged();
  // The list is now exactly the file's: nothing to offer for saving.
  Modified = false;
  return true;
}

bool TScheduleDocument::SaveScheduleTo(const fs::path& path) {
  if (path.empty()) {
    SaveScheduleExecute();
    return !Modified;
  }
  bool overwrite = false;
  for (;;) {
    if (!overwrite && ChangedOnDisk(path)) {
      if (!AllowedToOverwrite(path)) return false;
      overwrite = true;
    }
    try {
      // Not held while the question is open, so that nobody waits on a box left unanswered.
      const TFileLock lock(path, kWindowWriterWait);
      if (!overwrite && ChangedOnDisk(path)) continue;  // written between the look and the lock
      SaveScheduleFile(path, model_.Lines());
      disk_stamp_ = StampOfFile(path);
    } catch (const Exception& e) {
      dialogs_.ShowError(e.what());
      return false;
    }
    break;
  }
  history_.MarkSaved();
  Modified = false;
  return true;
}

bool TScheduleDocument::ChangedOnDisk(const fs::path& path) const {
  if (!disk_stamp_ || path != schedule_file_name_) return false;
  const std::optional<TFileStamp> now = StampOfFile(path);
  return now && *now != *disk_stamp_;
}

bool TScheduleDocument::AllowedToOverwrite(const fs::path& path) {
  std::string question(kChangedOnDiskQuestion);
  question.replace(question.find("%s"), 2, path.filename().string());
  const std::string_view buttons[] = {kReloadButton, kOverwriteButton, "キャンセル"};
  switch (
      dialogs_
          .AskThreeWay(question, kConfirmCaption, TMsgIcon::Warning, buttons, TMsgAnswer::Cancel)
          .value_or(TMsgAnswer::Cancel)) {
    case TMsgAnswer::Yes:
      LoadScheduleFrom(path);
      return false;
    case TMsgAnswer::No:
      return true;
    case TMsgAnswer::Cancel:
      break;
  }
  return false;
}

bool TScheduleDocument::OfferToSaveChanges() {
  // An empty untitled list has nothing to lose (one just made by 新規 is modified); an emptied
  // file still has its deletions to save.
  if (!Modified || (model_.Lines().Count() == 0 && schedule_file_name_.empty())) return true;
  switch (dialogs_.AskYesNoCancel(kSaveOnCloseQuestion, kConfirmCaption, TMsgIcon::None)) {
    case TMsgAnswer::Cancel:
      return false;
    case TMsgAnswer::Yes:
      return SaveScheduleTo(schedule_file_name_);
    case TMsgAnswer::No:
      break;
  }
  return true;
}

void TScheduleDocument::NewScheduleExecute() {
  if (!dialogs_.AskYesNo(kNewScheduleQuestion, kConfirmCaption, TMsgIcon::Warning,
                         TMsgDefault::Yes))
    return;
  // The new schedule cannot be undone back into the old one, so its unsaved items would be lost.
  if (!OfferToSaveChanges()) return;
  schedule_file_name_.clear();
  disk_stamp_.reset();
  SetTitle(std::string(kUntitledTitle));
  model_.Lines().Clear();
  history_.Reset(model_.Lines(), false);
  ListChanged();
  Modified = true;
}

void TScheduleDocument::LoadScheduleExecute(const std::optional<fs::path>& file) {
  // Loading replaces the list, so unsaved changes are offered for saving first, as on closing;
  // Cancel, or a save that did not happen, keeps everything as it is.
  if (!OfferToSaveChanges()) return;
  std::optional<fs::path> chosen = file ? file : dialogs_.ChooseOpenFile(kScheduleFileFilter);
  if (chosen) LoadScheduleFrom(*chosen);
}

void TScheduleDocument::SaveScheduleExecute() {
  const fs::path proposed =
      schedule_file_name_.empty() ? fs::path(kDefaultScheduleFileName) : schedule_file_name_;
  std::optional<fs::path> chosen = dialogs_.ChooseSaveFile(kScheduleFileFilter, proposed);
  if (!chosen) {
    // The list is not in any file now, whatever the flag said before.
    Modified = true;
    return;
  }
  const std::optional<fs::path> name = ConfirmSaveName(dialogs_, *chosen, kScheduleFileExtension);
  if (!name) {
    Modified = true;  // as for a cancelled dialog
    return;
  }
  if (!SaveScheduleTo(*name)) return;
  schedule_file_name_ = *name;
  SetTitle(TitleAfterSave(*name));
  Modified = false;
}

void TScheduleDocument::OverwriteScheduleExecute() {
  if (schedule_file_name_.empty()) return SaveScheduleExecute();
  if (SaveScheduleTo(schedule_file_name_)) SetTitle(TitleAfterSave(schedule_file_name_));
}

bool TScheduleDocument::CloseQuery() {
  bool saved = true;
  if (Modified) {
    // Esc and the title bar's close button answer キャンセル: unsaved items are never lost
    // to a key pressed by habit.
    switch (dialogs_.AskYesNoCancel(kSaveOnCloseQuestion, kConfirmCaption, TMsgIcon::None)) {
      case TMsgAnswer::Cancel:
        return false;
      case TMsgAnswer::No:
        return true;  // declined: close at once, the settings file untouched
      case TMsgAnswer::Yes:
        break;
    }
    // A save that did not happen, or a reload chosen instead, keeps the window open.
    saved = SaveScheduleTo(schedule_file_name_);
  }
  const bool canClose = saved && !Modified;
  try {
    RememberScheduleFile(SettingsFile(), schedule_file_name_);
  } catch (const Exception& e) {
    // Only the reopening at the next start is lost; the schedule itself is safe.
    dialogs_.ShowError(e.what());
  }
  return canClose;
}

}  // namespace moriva
