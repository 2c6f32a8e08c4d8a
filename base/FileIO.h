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

// Writes `bytes` to a new temporary file in the target's folder, flushes it to disk and
// renames it over `path`. A symbolic link is followed, so the link stays and its target is
// replaced; an existing file keeps its permission bits. On any failure the temporary file is
// removed, the old file is left as it was, and EFileError "ファイル %s を作成できません" is thrown.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The messages above, for callers that report a failure themselves.
std::string CannotOpenMessage(const std::filesystem::path& path);
std::string CannotCreateMessage(const std::filesystem::path& path);

}  // namespace moriva
