#pragma once
// Advisory locks that keep two writers of one file from saving over each other's changes, and
// the stamp by which a program that holds a file's content notices that someone else wrote it.
//
// Every program that reads a file, changes it and writes it back (the window's save, each
// command-line command that writes, a sync) holds the file's lock for that whole
// read-modify-write. The lock lives on a hidden file beside the target (".name.lock", left in
// place: removing it would let a waiting writer lock a file nobody else sees), so it also
// covers the moment the atomic save renames a new file over the old one. The kernel drops the
// lock when its holder exits, however it ends.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace moriva {

class TFileLock {
 public:
  // Locks `target` for writing, waiting up to `wait` for another holder to finish. Throws
  // EFileError with FileInUseMessage when it stays locked. In a folder where no lock file can be
  // made (read-only, or not ours) nothing can be saved by anyone either, so no lock is taken
  // and the caller's own save reports the folder.
  TFileLock(const std::filesystem::path& target, std::chrono::milliseconds wait);
  ~TFileLock();
  TFileLock(TFileLock&& other) noexcept;
  TFileLock& operator=(TFileLock&&) = delete;
  TFileLock(const TFileLock&) = delete;

  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// The hidden lock file for `target` (its symbolic links followed, so every name of one file
// shares one lock).
std::filesystem::path LockFilePath(const std::filesystem::path& target);

// UTF-8, %s the file name without its folder.
std::string FileInUseMessage(const std::filesystem::path& target);

// What identifies one version of a file on disk: an atomic save makes a new file, so its inode
// changes even when size and time happen to match.
struct TFileStamp {
  unsigned long long Device = 0, Inode = 0, Size = 0;
  long long ModifiedNs = 0;
  bool operator==(const TFileStamp&) const = default;
};
// The stamp of the file now; nullopt when there is no such file (or it is not a plain file).
std::optional<TFileStamp> StampOfFile(const std::filesystem::path& path);

}  // namespace moriva
