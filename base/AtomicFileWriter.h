#pragma once
// Atomic writes of a file made piece by piece (see WriteFileAtomically in FileIO.h, which is
// this class writing one piece).
#include <filesystem>
#include <string>
#include <string_view>

#include "base/FileIO.h"

namespace moriva {

// WriteFileAtomically for a file written piece by piece: the temporary file is made at once,
// Write appends to it, Commit makes it the target. Without a Commit (an exception on the way)
// the temporary file is removed and the target stays as it was. Every failure throws
// EFileError "ファイル %s を作成できません".
class TAtomicFileWriter {
 public:
  explicit TAtomicFileWriter(const std::filesystem::path& path,
                             TFileAccess access = TFileAccess::FollowUmask);
  ~TAtomicFileWriter();
  TAtomicFileWriter(const TAtomicFileWriter&) = delete;
  TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

  void Write(std::string_view bytes);
  void Commit();

 private:
  void Fail() const;

  std::filesystem::path path_;    // as given, for the message
  std::filesystem::path target_;  // links followed
  std::string temp_;
  int fd_ = -1;
  TFileAccess access_;
  bool committed_ = false;
};

}  // namespace moriva
