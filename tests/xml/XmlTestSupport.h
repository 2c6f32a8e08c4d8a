#pragma once
// Small helpers shared by the XML tests: a scratch folder, running an outside program, and
// comparing bytes with a golden file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "base/LineList.h"

namespace moriva::xmltest {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "moriva-xml-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchDir() { fs::remove_all(path_); }
  const fs::path& Path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

struct CommandResult {
  int status = -1;  // the exit code, or -1 when the program did not exit normally
  std::string output;
};

// Runs `command` through the shell and collects its standard output.
inline CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  int status = pclose(pipe);
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

inline std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

inline fs::path GoldenPath(const std::string& name) {
  return fs::path(MORIVA_TEST_DATA) / "xml" / name;
}

// Compares `bytes` with the golden file `name`; on a difference the actual bytes are left in
// the build folder for a look.
inline void ExpectGolden(const std::string& bytes, const std::string& name) {
  SCOPED_TRACE(name);
  std::string golden = fs::exists(GoldenPath(name)) ? ReadFileBytes(GoldenPath(name)) : "";
  if (bytes != golden) {
    fs::path actual = fs::path(MORIVA_BINARY_DIR) / (name + ".actual");
    WriteFileAtomically(actual, bytes);
    ADD_FAILURE() << "differs from the golden file; actual bytes in " << actual;
  }
}

// A store as a user's file may hold it: items (two on one day, one with an "&"), a yearly
// memorial day with empty year fields, and lines that are no schedule items at all.
inline TLineList SampleStore() {
  return TLineList{
      Utf8ToCp932("2002,2002,7,15,,,\"会議- 会議室- 9:30:0- TRUE\""),
      Utf8ToCp932("2002,2002,7,15,,,\"R&D 打合せ- 第2会議室- 13:0:0- FALSE\""),
      Utf8ToCp932(",,5,3,,,\"憲法記念日\""),
      Utf8ToCp932("2003,2003,1,1"),
      "",
      Utf8ToCp932("2026,2026,12,31,,,\"<年末> \"\"大掃除\"\" ]]> 'x'- - 23:55:0- TRUE\""),
  };
}

}  // namespace moriva::xmltest
