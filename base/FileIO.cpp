#include "base/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <system_error>

#include "base/AtomicFileWriter.h"
#include "base/Exception.h"

namespace fs = std::filesystem;

namespace moriva {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// The temporary file's name: the target's with a dot before and a unique ending after it.
// A target name near the longest the file system takes is cut, so that any name that can be
// written can also be replaced; the cut never matters, since the file is renamed at once.
std::string TempName(const std::string& targetName) {
  constexpr std::string_view kEnding = ".XXXXXX";
  constexpr size_t kKept = NAME_MAX - 1 - kEnding.size();
  return "." + targetName.substr(0, kKept) + std::string(kEnding);
}

mode_t CurrentUmask() {
  // umask can only be read by setting it; nothing else in the program changes it.
  const mode_t m = umask(0);
  umask(m);
  return m;
}

fs::path ResolveTarget(const fs::path& path) {
  std::error_code ec;
  fs::path target = path;
  // Follow a chain of links so that the link itself survives the rename.
  for (int i = 0; i < 40 && fs::is_symlink(target, ec); ++i) {
    fs::path next = fs::read_symlink(target, ec);
    if (ec) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

}  // namespace

std::string CannotOpenMessage(const fs::path& path) {
  return "ファイル " + path.string() + " は開けません";
}

std::string CannotCreateMessage(const fs::path& path) {
  return "ファイル " + path.string() + " を作成できません";
}

std::string ReadFileBytes(const fs::path& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EFileError(CannotOpenMessage(path));
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    throw EFileError(CannotOpenMessage(path));
  }
  // Read straight into the string, sized by the file; a file that grows meanwhile is read on
  // in larger steps, one that shrinks is cut where its end was met.
  std::string data(st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0, '\0');
  size_t used = 0;
  for (;;) {
    if (used == data.size()) data.resize(data.size() + std::max<size_t>(65536, data.size() / 2));
    ssize_t n = read(fd, data.data() + used, data.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      close(fd);
      throw EFileError(CannotOpenMessage(path));
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  close(fd);
  data.resize(used);
  return data;
}

TAtomicFileWriter::TAtomicFileWriter(const fs::path& path, TFileAccess access)
    : path_(path), target_(ResolveTarget(path)), access_(access) {
  std::error_code ec;
  if (fs::is_directory(target_, ec)) Fail();
  fs::path dir = target_.parent_path();
  if (dir.empty()) dir = ".";
  temp_ = (dir / TempName(target_.filename().string())).string();
  fd_ = mkstemp(temp_.data());
  if (fd_ < 0) {
    temp_.clear();  // nothing was made, so nothing is to be removed
    Fail();
  }
}

TAtomicFileWriter::~TAtomicFileWriter() {
  if (fd_ >= 0) close(fd_);
  if (!committed_ && !temp_.empty()) unlink(temp_.c_str());
}

void TAtomicFileWriter::Fail() const {
  throw EFileError(CannotCreateMessage(path_));
}

void TAtomicFileWriter::Write(std::string_view bytes) {
  if (!WriteAll(fd_, bytes)) Fail();
}

void TAtomicFileWriter::Commit() {
  // mkstemp makes the file 0600; the final bits are set only once the bytes are in.
  struct stat st {};
  mode_t mode = access_ == TFileAccess::FollowUmask ? 0666 & ~CurrentUmask() : 0600;
  if (stat(target_.c_str(), &st) == 0) mode = st.st_mode & 07777;
  if (access_ == TFileAccess::OwnerOnly) mode &= ~mode_t{077};
  if (fchmod(fd_, mode) != 0 || fsync(fd_) != 0) Fail();
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) Fail();
  if (rename(temp_.c_str(), target_.c_str()) != 0) Fail();
  committed_ = true;
  // Make the rename itself durable.
  fs::path dir = target_.parent_path();
  if (dir.empty()) dir = ".";
  int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
}

void WriteFileAtomically(const fs::path& path, std::string_view bytes, TFileAccess access) {
  TAtomicFileWriter file(path, access);
  file.Write(bytes);
  file.Commit();
}

}  // namespace moriva
