#pragma once
// The mail client's surroundings on the handset's roads: the shared transfer context, plus the
// clock of a composed mail and where attachment types are looked up; the folders of the roads.
#include <filesystem>
#include <functional>
#include <string_view>

#include "base/TransferContext.h"
#include "mail/Attachment.h"
#include "mail/MailMessage.h"

namespace moriva {

// In the program's data folder (TProgramFolders::Data): the file sent last, the files received,
// the ids of the mails already examined.
inline constexpr std::string_view kOutgoingFolder = "outgoing";
inline constexpr std::string_view kIncomingFolder = "incoming";
inline constexpr std::string_view kUidlFileName = "uidl.ini";

struct THandsetContext : TTransferContext {
  THandsetContext(TDialogs& dialogs, TProgramFolders folders)
      : TTransferContext(dialogs, std::move(folders)) {}

  // The composition time of a sent mail; the system clock when empty.
  std::function<TMailTime()> Clock;
  // Where the content type of an attachment is looked up.
  std::filesystem::path MimeTypesFile = kMimeTypesFile;
};

}  // namespace moriva
