#include "base/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "base/Exception.h"

namespace fs = std::filesystem;

namespace moriva {

fs::path LockFilePath(const fs::path& target) {
  std::error_code ec;
  fs::path real = fs::weakly_canonical(fs::absolute(target, ec), ec);
  if (ec || real.empty()) real = target;
  return real.parent_path() / ("." + real.filename().string() + ".lock");
}

std::string FileInUseMessage(const fs::path& target) {
  return "ファイル " + target.filename().string() +
         " は他のプログラムが書き込み中です。しばらくしてからやり直してください。";
}

TFileLock::TFileLock(const fs::path& target, std::chrono::milliseconds wait) {
  const fs::path lockPath = LockFilePath(target);
  fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) return;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {  // a file system without locks
      ::close(fd_);
      fd_ = -1;
      return;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      ::close(fd_);
      fd_ = -1;
      throw EFileError(FileInUseMessage(target));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

TFileLock::~TFileLock() {
  if (fd_ >= 0) ::close(fd_);  // closing the only descriptor drops the lock
}

TFileLock::TFileLock(TFileLock&& other) noexcept : fd_(other.fd_) {
  other.fd_ = -1;
}

std::optional<TFileStamp> StampOfFile(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return TFileStamp{static_cast<unsigned long long>(st.st_dev),
                    static_cast<unsigned long long>(st.st_ino),
                    static_cast<unsigned long long>(st.st_size),
                    static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

}  // namespace moriva
