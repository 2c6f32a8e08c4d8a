#pragma once
// A writer killed at random moments while it saves: a child process saves the old and the new
// content in turn, as fast as it can, and is killed (SIGKILL, nothing runs on the way out) at a
// random moment after its first complete save. Afterwards the target must hold the old or the
// new content, complete; the temporary files a killed save leaves behind must not be taken for
// the target, nor hinder the next save.
//
//   moriva::TKillFigures figures;
//   moriva::CheckWriterUnderKills(writer, "sample.mrv", figures);
// The writer is the one of WriteFaults.h; `prepare`, when given, runs in this process before
// every child is started (e.g. to open a fresh listening socket for a mail road).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/FileIO.h"
#include "tests/support/WriteFaults.h"

namespace moriva {

struct TKillFigures {
  int OldSeen = 0;       // rounds that ended with the old content in place
  int NewSeen = 0;       // ... with the new content
  size_t Leftovers = 0;  // temporary files the killed saves left
};

inline void CheckWriterUnderKills(const TWriterUnderTest& w, const std::string& fileName,
                                  TKillFigures& figures, int rounds = 20,
                                  const std::function<void()>& prepare = {}) {
  namespace fs = std::filesystem;
  using Clock = std::chrono::steady_clock;
  SCOPED_TRACE(w.Name + " killed while saving");
  figures = {};
  const fs::path dir =
      fs::temp_directory_path() / ("moriva_kills_" + std::to_string(getpid()) + "_" + w.Name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path target = dir / fileName;

  if (prepare) prepare();
  w.Save(target, 1);
  const std::string newBytes = ReadFileBytes(target);
  const Clock::time_point start = Clock::now();
  w.Save(target, 0);
  // Kills land anywhere within about two saves after the first one completed.
  const auto saveTime = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
  const std::string oldBytes = ReadFileBytes(target);
  EXPECT_NE(oldBytes, newBytes);
  const std::vector<std::string> entries = FolderEntries(dir);

  std::mt19937 random(20261207);
  long longest = 2 * saveTime.count() + 100;
  for (int round = 0; round < rounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    if (prepare) prepare();
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      close(ready[0]);
      try {
        for (int version = 1;; version ^= 1) {
          w.Save(target, version);
          if (ready[1] >= 0) {
            (void)!write(ready[1], "s", 1);
            close(ready[1]);
            ready[1] = -1;
          }
        }
      } catch (...) {
      }
      _exit(3);  // a save that fails without a fault is a fault of its own
    }
    close(ready[1]);
    char byte = 0;
    const bool started = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<long>(0, longest)(random)));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(started);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended by itself";

    const std::string now = ReadFileBytes(target);
    ASSERT_TRUE(now == oldBytes || now == newBytes) << "a torn file of " << now.size() << " bytes";
    (now == oldBytes ? figures.OldSeen : figures.NewSeen)++;
    // A child slower than the measured save is always killed inside its second save.
    if (figures.OldSeen == 0 && round >= 3) longest = std::min(2 * longest, 200000L);
  }

  // Whatever a killed save left is a hidden temporary file of its own name, never the target.
  std::vector<std::string> leftovers;
  for (const std::string& name : FolderEntries(dir))
    if (std::find(entries.begin(), entries.end(), name) == entries.end()) leftovers.push_back(name);
  for (const std::string& name : leftovers)
    EXPECT_EQ(name.rfind("." + fileName + ".", 0), 0u) << name;
  figures.Leftovers = leftovers.size();

  // The next saves work as ever, and leave nothing more behind.
  if (prepare) prepare();
  w.Save(target, 1);
  EXPECT_EQ(ReadFileBytes(target), newBytes);
  w.Save(target, 0);
  EXPECT_EQ(ReadFileBytes(target), oldBytes);
  EXPECT_EQ(FolderEntries(dir).size(), entries.size() + leftovers.size());
  fs::remove_all(dir);
}

}  // namespace moriva
