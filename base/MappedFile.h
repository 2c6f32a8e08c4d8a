#pragma once
// A file read through the page cache instead of into memory of its own: a large input is
// mapped, read front to back, and the parts already read are given back as it goes, so that
// reading a file of any size keeps only a window of it resident.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace moriva {

class TMappedFile {
 public:
  // Throws EFileError "ファイル %s は開けません" when it cannot be opened or read (a directory
  // included), as ReadFileBytes does. A file that cannot be mapped is read into memory.
  explicit TMappedFile(const std::filesystem::path& path);
  ~TMappedFile();
  TMappedFile(const TMappedFile&) = delete;
  TMappedFile& operator=(const TMappedFile&) = delete;

  std::string_view Text() const { return text_; }
  // The bytes before `offset` will not be needed for a while: their pages leave the process's
  // memory (read again from the page cache when they are). An offset before the last one
  // starts a new pass over the file.
  void Release(size_t offset);

 private:
  void* map_ = nullptr;
  size_t size_ = 0;
  size_t released_ = 0;
  std::string copy_;  // when the file could not be mapped
  std::string_view text_;
};

}  // namespace moriva
