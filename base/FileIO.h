#pragma once
// Whole-file reads and atomic whole-file writes. Every file the program writes goes through
// WriteFileAtomically, so a failed save never leaves a half-written file behind.
#include <filesystem>
#include <string>
#include <string_view>

namespace moriva {

// Reads the whole file as bytes. Throws EFileError "ファイル %s は開けません" when it cannot
// be opened or read (a directory included).
std::string ReadFileBytes(const std::filesystem::path& path);

// Who may read a file the program writes.
enum class TFileAccess {
  // The user's documents (schedules, a chosen .csv or .xml): a new file follows the umask as
  // any editor's files do, an existing one keeps its permission bits.
  FollowUmask,
  // The program's own settings: a new file is the owner's alone (0600), an existing one keeps
  // the bits the user gave it.
  PrivateWhenNew,
  // Files that hold what others must not read (passwords, received and sent schedules): group
  // and others lose every bit, whatever the file had before.
  OwnerOnly,
};

// Writes `bytes` to a new temporary file in the target's folder, flushes it to disk and
// renames it over `path`. A symbolic link is followed, so the link stays and its target is
// replaced; the permission bits follow `access`. The temporary file is the owner's alone from
// its creation, so even a failed write never shows the bytes to anyone else. On any failure
// the temporary file is removed, the old file is left as it was, and EFileError
// "ファイル %s を作成できません" is thrown.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         TFileAccess access = TFileAccess::FollowUmask);

// The messages above, for callers that report a failure themselves.
std::string CannotOpenMessage(const std::filesystem::path& path);
std::string CannotCreateMessage(const std::filesystem::path& path);

}  // namespace moriva
