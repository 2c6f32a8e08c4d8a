#include "base/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "base/Exception.h"
#include "base/FileIO.h"

namespace moriva {

TMappedFile::TMappedFile(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EFileError(CannotOpenMessage(path));
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    throw EFileError(CannotOpenMessage(path));
  }
  if (S_ISREG(st.st_mode) && st.st_size > 0) {
    void* map = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (map != MAP_FAILED) {
      map_ = map;
      size_ = static_cast<size_t>(st.st_size);
      madvise(map_, size_, MADV_SEQUENTIAL);
      text_ = std::string_view(static_cast<const char*>(map_), size_);
    }
  }
  close(fd);
  if (!map_) {
    copy_ = ReadFileBytes(path);
    text_ = copy_;
  }
}

TMappedFile::~TMappedFile() {
  if (map_) munmap(map_, size_);
}

void TMappedFile::Release(size_t offset) {
  if (!map_) return;
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t upTo = std::min(offset, size_) / page * page;
  if (upTo < released_) released_ = 0;  // a new pass over the file
  if (upTo <= released_) return;
  madvise(static_cast<char*>(map_) + released_, upTo - released_, MADV_DONTNEED);
  released_ = upTo;
}

}  // namespace moriva
