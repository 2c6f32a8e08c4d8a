#include "caldav/CalDavSyncAction.h"

#include <filesystem>

#include "caldav/CalDavState.h"
#include "schedule/ScheduleFile.h"
#include "settings/CalDavSettings.h"

namespace moriva {

std::optional<TCalDavSyncResult> SyncDocumentWithCalDav(TScheduleDocument& document,
                                                        const TTransferContext& context,
                                                        const TICalZone& zone, JuliusDay today,
                                                        time_t now) {
  TCalDavSyncInput in;
  in.Settings = ReadCalDavSettings(SettingsFilePath(context.Folders.Config));
  if (in.Settings.Url.empty()) {
    context.Dialogs.ShowError(kCalDavSettingsMissingText);
    return std::nullopt;
  }
  MakeProgramFolder(context.Folders.Data);
  in.StateFile = context.Folders.Data / kCalDavStateFileName;
  in.ScheduleFile = CalDavScheduleKey(document.ScheduleFileName());
  in.Zone = &zone;
  in.Window = DefaultICalWindow(today);
  in.Holidays = &document.Model().Rules();
  in.Stamp = now;
  in.Status = context.Status;
  in.SaveSchedule = [&document, stateFile = in.StateFile](const TLineList&) {
    // One step of the undo history. Taken back (or done again), it leaves the schedule other
    // than the record of the sync says, and the record would have the next sync delete on the
    // server what was undone here: it is forgotten instead, and the next sync starts afresh,
    // which only merges. Undoing a sync never loses an event on the phone.
    document.ListEdited("CalDAV 同期", [stateFile] {
      std::error_code ec;
      std::filesystem::remove(stateFile, ec);
    });
    if (!document.SaveScheduleTo(document.ScheduleFileName()))
      throw ECalDavError(std::string(kCalDavNotSavedText));
  };
  // A mass deletion is the user's to allow; No leaves the schedule and the server as they were.
  in.AllowMassDeletion = [&context](const TCalDavMassDeletion& d) {
    return context.Dialogs.AskYesNo(CalDavMassDeletionQuestion(d), {}, TMsgIcon::Warning,
                                    TMsgDefault::No);
  };
  THttpClient http;
  http.ProcessMessages = context.ProcessMessages;
  http.CancelRequested = context.CancelRequested;
  auto status = [&context](std::string_view text) {
    if (context.Status) context.Status->SetPanelText(kStatusPanel, text);
  };
  // The count of an earlier run must not pass for this one's progress.
  if (context.Status) context.Status->SetPanelText(kPositionPanel, "");
  try {
    std::optional<TCalDavSyncResult> r;
    {
      TBusyCursor busy(context.Dialogs);
      r = SyncCalDav(http, in, document.List());
    }
    status(kCalDavDoneStatus);
    context.Dialogs.ShowMessage(CalDavDoneMessage(*r), {}, TMsgIcon::None);
    return r;
  } catch (const EHttpError& e) {
    if (!e.Cancelled) {
      status(e.what());
      throw;
    }
    status(kCalDavCancelledText);
    return std::nullopt;
  } catch (const ECalDavMassDeletion& e) {
    status(e.what());
    return std::nullopt;
  } catch (const Exception& e) {
    status(e.what());
    throw;
  }
}

}  // namespace moriva
