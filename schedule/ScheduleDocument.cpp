#include "schedule/ScheduleDocument.h"

#include <utility>

#include "base/Exception.h"
#include "schedule/ScheduleFile.h"

namespace fs = std::filesystem;

namespace moriva {

TScheduleDocument::TScheduleDocument(TLineList& master, TDialogs& dialogs, fs::path exeDir)
    : master_(master), dialogs_(dialogs), exe_dir_(std::move(exeDir)), title_(kUntitledTitle) {
  history_.Reset(master_, true);
}

void TScheduleDocument::ListEdited(std::string label, std::function<void()> onTakenBack) {
  history_.Commit(master_, std::move(label), std::move(onTakenBack));
  ListChanged();
  Modified = true;
}

void TScheduleDocument::Undo() {
  if (!history_.Undo(master_)) return;
  Modified = !history_.AtSaved();
  ListChanged();
}

void TScheduleDocument::Redo() {
  if (!history_.Redo(master_)) return;
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
  if (OnListChanged) OnListChanged();
}

void TScheduleDocument::Reopen(const std::optional<std::string>& firstArgument) {
  std::optional<TStartupFile> start = StartupScheduleFile(firstArgument, SettingsFile());
  if (!start) return;
  if (LoadScheFrom(start->Path)) return;
  // A remembered path stays named nowhere: closing would otherwise write the empty list over
  // the file that could not be read, or remember a file that does not open.
  sche_file_name_.clear();
  master_.Clear();
  history_.Reset(master_, true);
  SetTitle(std::string(kUntitledTitle));
  ListChanged();
}

bool TScheduleDocument::LoadScheFrom(const fs::path& path) {
  try {
    LoadScheduleFile(path, master_);
  } catch (const Exception& e) {
    dialogs_.ShowError(e.what());
    return false;
  }
  sche_file_name_ = path;
  history_.Reset(master_, true);
  SetTitle(TitleAfterLoad(path));
  ListChanged();
  // The list is now exactly the file's: nothing to offer for saving.
  Modified = false;
  return true;
}

bool TScheduleDocument::SaveScheTo(const fs::path& path) {
  if (path.empty()) {
    SaveScheExecute();
    return !Modified;
  }
  try {
    SaveScheduleFile(path, master_);
  } catch (const Exception& e) {
    dialogs_.ShowError(e.what());
    return false;
  }
  history_.MarkSaved();
  Modified = false;
  return true;
}

bool TScheduleDocument::OfferToSaveChanges() {
  // An empty untitled list has nothing to lose (one just made by 新規 is modified); an emptied
  // file still has its deletions to save.
  if (!Modified || (master_.Count() == 0 && sche_file_name_.empty())) return true;
  switch (dialogs_.AskYesNoCancel(kSaveOnCloseQuestion, kConfirmCaption, TMsgIcon::None)) {
    case TMsgAnswer::Cancel:
      return false;
    case TMsgAnswer::Yes:
      return SaveScheTo(sche_file_name_);
    case TMsgAnswer::No:
      break;
  }
  return true;
}

void TScheduleDocument::NewScheExecute() {
  if (!dialogs_.AskYesNo(kNewScheduleQuestion, kConfirmCaption, TMsgIcon::Warning,
                         TMsgDefault::Yes))
    return;
  // The new schedule cannot be undone back into the old one, so its unsaved items would be lost.
  if (!OfferToSaveChanges()) return;
  sche_file_name_.clear();
  SetTitle(std::string(kUntitledTitle));
  master_.Clear();
  history_.Reset(master_, false);
  ListChanged();
  Modified = true;
}

void TScheduleDocument::LoadScheExecute(const std::optional<fs::path>& file) {
  // Loading replaces the list, so unsaved changes are offered for saving first, as on closing;
  // Cancel, or a save that did not happen, keeps everything as it is.
  if (!OfferToSaveChanges()) return;
  std::optional<fs::path> chosen = file ? file : dialogs_.ChooseOpenFile(kScheduleFileFilter);
  if (chosen) LoadScheFrom(*chosen);
}

void TScheduleDocument::SaveScheExecute() {
  const fs::path proposed =
      sche_file_name_.empty() ? fs::path(kDefaultScheduleFileName) : sche_file_name_;
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
  if (!SaveScheTo(*name)) return;
  sche_file_name_ = *name;
  SetTitle(TitleAfterSave(*name));
  Modified = false;
}

bool TScheduleDocument::CloseQuery() {
  if (Modified) {
    if (!dialogs_.AskYesNo(kSaveOnCloseQuestion, kConfirmCaption, TMsgIcon::None, TMsgDefault::Yes))
      return true;  // declined: close at once, the settings file untouched
    SaveScheTo(sche_file_name_);
  }
  const bool canClose = !Modified;
  try {
    RememberScheduleFile(SettingsFile(), sche_file_name_);
  } catch (const Exception& e) {
    // Only the reopening at the next start is lost; the schedule itself is safe.
    dialogs_.ShowError(e.what());
  }
  return canClose;
}

}  // namespace moriva
