#pragma once
// What every road that leaves the computer (the handset's mail, a CalDAV sync) needs from its
// surroundings: where to ask and tell the user, the program's folders, the status panels, the
// pump that keeps a window live while the road waits, and the question whether to stop.
#include <functional>
#include <utility>

#include "base/Dialogs.h"
#include "base/ProgramFolders.h"

namespace moriva {

// The status panels a road writes: position "k/total", mails fetched, status and subject.
inline constexpr int kPositionPanel = 0;
inline constexpr int kCountPanel = 1;
inline constexpr int kStatusPanel = 2;

struct TTransferContext {
  TTransferContext(TDialogs& dialogs, TProgramFolders folders)
      : Dialogs(dialogs), Folders(std::move(folders)) {}

  TDialogs& Dialogs;
  // "hs110.ini" in Folders.Config; the roads' own files in Folders.Data.
  TProgramFolders Folders;
  // The three status panels (a receive or a sync); may be null.
  TStatusSink* Status = nullptr;
  // Installed on the client for the run when set (the window: process pending events); the
  // client's own callback is used otherwise.
  std::function<void()> ProcessMessages;
  // Asked at every pump; true cancels the running road. For callers that cannot reach the
  // client (a signal handler of the command-line tool).
  std::function<bool()> CancelRequested;
};

}  // namespace moriva
