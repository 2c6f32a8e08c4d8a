#pragma once
// What the window's 転送 → CalDAV 同期 does, without the window: reads the settings, syncs the
// open schedule, saves it through the document's own save (a schedule without a name asks for
// one), and tells the user. The window only passes its pump and cancel flag in the context.
#include <ctime>
#include <optional>

#include "base/TransferContext.h"
#include "caldav/CalDavSync.h"
#include "calendar/Julius.h"
#include "schedule/ScheduleDocument.h"

namespace moriva {

// Status panel 2 at the end, and the error when the schedule could not be saved (UTF-8).
inline constexpr std::string_view kCalDavDoneStatus = "CalDAV 同期完了しました。";
inline constexpr std::string_view kCalDavCancelledText = "CalDAV 同期を中止しました。";
inline constexpr std::string_view kCalDavNotSavedText =
    "予定ファイルを保存しなかったため，同期の記録は残していません。"
    "次の CalDAV 同期で続きを行います。";

// No URL in the settings: the settings message, nothing connected, nullopt. A cancel: the
// cancelled text in panel 2, nullopt. A mass deletion asks first (TMsgDefault::No); declined,
// panel 2 says the sync stopped, nothing changed, nullopt. Otherwise the closing message with the
// counts; a failure passes to the caller (the window shows it in an error box) with panel 2 saying
// it failed. The document's list is marked edited (and the week view refreshed) when the sync
// changed it; undoing or redoing that step forgets the sync's record, so the next sync only merges.
std::optional<TCalDavSyncResult> SyncDocumentWithCalDav(TScheduleDocument& document,
                                                        const TTransferContext& context,
                                                        const TICalZone& zone, JuliusDay today,
                                                        time_t now);

}  // namespace moriva
