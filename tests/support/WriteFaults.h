#pragma once
// Fault injection for the program's file writers. Every writer must leave its target holding
// either the old or the new content, complete, and report a failure as EFileError:
//   - a write that fails after every possible number of bytes (the child process that saves
//     runs under a file-size limit, so the real write path fails, not a stand-in);
//   - a target that is a directory, a folder in which no file can be made, a read-only
//     target, and a target reached through a symbolic link.
//
//   moriva::TWriterUnderTest w{"schedule", [&](const fs::path& p, int version) { ... }};
//   moriva::CheckWriterUnderFaults(w, "sample.mrv");
// `Save(path, version)` writes version 0 (old) or 1 (new) of the content.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

#include "base/Exception.h"
#include "base/FileIO.h"

namespace moriva {

struct TWriterUnderTest {
  std::string Name;
  std::function<void(const std::filesystem::path&, int)> Save;
  bool OwnerOnly = false;  // the writer takes group and others' bits away
};

enum class TSaveOutcome { Saved, Refused, Crashed };

// Runs `save` in a child process that may write at most `limit` bytes into any file.
inline TSaveOutcome SaveUnderSizeLimit(const std::function<void()>& save, rlim_t limit) {
  pid_t pid = fork();
  if (pid == 0) {
    rlimit rl{limit, limit};
    setrlimit(RLIMIT_FSIZE, &rl);
    signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG instead of killing us
    try {
      save();
      _exit(0);
    } catch (const EFileError&) {
      _exit(1);
    } catch (...) {
      _exit(2);
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return TSaveOutcome::Crashed;
  return WEXITSTATUS(status) == 0 ? TSaveOutcome::Saved : TSaveOutcome::Refused;
}

// The names in a folder, so that a test sees a temporary file left behind.
inline std::vector<std::string> FolderEntries(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline void CheckWriterUnderFaults(const TWriterUnderTest& w, const std::string& fileName) {
  namespace fs = std::filesystem;
  SCOPED_TRACE(w.Name);
  const fs::path dir =
      fs::temp_directory_path() / ("moriva_faults_" + std::to_string(getpid()) + "_" + w.Name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path target = dir / fileName;

  w.Save(target, 1);
  const std::string newBytes = ReadFileBytes(target);
  w.Save(target, 0);
  const std::string oldBytes = ReadFileBytes(target);
  ASSERT_NE(oldBytes, newBytes);
  const std::vector<std::string> entries = FolderEntries(dir);

  // A write that fails after every byte count, then one that just fits.
  for (rlim_t limit = 0; limit <= newBytes.size(); ++limit) {
    SCOPED_TRACE("file-size limit " + std::to_string(limit));
    TSaveOutcome outcome = SaveUnderSizeLimit([&] { w.Save(target, 1); }, limit);
    if (limit < newBytes.size()) {
      ASSERT_EQ(outcome, TSaveOutcome::Refused);
      ASSERT_EQ(ReadFileBytes(target), oldBytes);
    } else {
      ASSERT_EQ(outcome, TSaveOutcome::Saved);
      ASSERT_EQ(ReadFileBytes(target), newBytes);
      w.Save(target, 0);
    }
    ASSERT_EQ(FolderEntries(dir), entries);
  }

  // A directory where the file should be: refused, the directory and what it holds stay.
  const fs::path blocked = dir / ("dir_" + fileName);
  fs::create_directory(blocked);
  WriteFileAtomically(blocked / "inside", "kept");
  EXPECT_THROW(w.Save(blocked, 1), EFileError);
  EXPECT_EQ(ReadFileBytes(blocked / "inside"), "kept");

  // A folder in which nobody, root included, can make a file.
  EXPECT_THROW(w.Save(fs::path("/proc/self") / fileName, 1), EFileError);
  EXPECT_THROW(w.Save(dir / "missing" / fileName, 1), EFileError);

  // A read-only target is replaced whole and stays read-only.
  fs::permissions(target, fs::perms::owner_read | fs::perms::group_read);
  w.Save(target, 1);
  EXPECT_EQ(ReadFileBytes(target), newBytes);
  EXPECT_EQ(fs::status(target).permissions(),
            w.OwnerOnly ? fs::perms::owner_read : fs::perms::owner_read | fs::perms::group_read);
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);

  // Through a link into another folder: the link stays, the file it names gets the content,
  // and a failed write there leaves it as it was.
  fs::create_directory(dir / "real");
  w.Save(dir / "real" / fileName, 0);
  const fs::path link = dir / ("link_" + fileName);
  fs::create_symlink(fs::path("real") / fileName, link);
  EXPECT_EQ(SaveUnderSizeLimit([&] { w.Save(link, 1); }, newBytes.size() / 2),
            TSaveOutcome::Refused);
  EXPECT_EQ(ReadFileBytes(dir / "real" / fileName), oldBytes);
  w.Save(link, 1);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(dir / "real" / fileName), newBytes);
  EXPECT_EQ(FolderEntries(dir / "real"), std::vector<std::string>{fileName});

  fs::remove_all(dir);
}

}  // namespace moriva
