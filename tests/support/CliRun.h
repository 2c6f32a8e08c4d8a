#pragma once
// Runs moriva-cli as a separate program, the way a shell script would, and collects what it
// printed and how it ended. Every test gets a folder of its own for the captured output and for
// any files it wants to hand to the program; the folder goes when the test ends.
//
//   class MyTest : public moriva::TCliTest {
//    protected:
//     MyTest() : TCliTest("moriva_mine") {}
//   };
//   TEST_F(MyTest, X) { const TCliRun r = Run("days 2001-09-21 2001-09-25"); ... }
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/FileIO.h"
#include "tests/oracle/OracleTool.h"

namespace moriva {

struct TCliRun {
  int code = -1;  // the exit code, or -1 when the program did not exit normally
  std::string out, err;
};

// Runs the shell command line `command`; what it prints goes through the files "out" and "err"
// of `folder`, so a large output cannot block it.
inline TCliRun RunCaptured(const std::string& command, const std::filesystem::path& folder) {
  const std::filesystem::path out = folder / "out", err = folder / "err";
  const std::string line = "(" + command + ") >" + oracle::ShellQuote(out.string()) + " 2>" +
                           oracle::ShellQuote(err.string());
  const int status = std::system(line.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(out), ReadFileBytes(err)};
}

// moriva-cli of this build, quoted for the shell.
inline std::string MorivaCli() {
  return oracle::ShellQuote(std::string(MORIVA_BINARY_DIR) + "/moriva-cli");
}

class TCliTest : public ::testing::Test {
 protected:
  // `prefix` names the test's folder, so that leftovers tell which suite made them.
  explicit TCliTest(std::string prefix) : prefix_(std::move(prefix)) {}

  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           (prefix_ + "_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // `args` go through the shell as they stand; quote what needs it.
  TCliRun Run(const std::string& args) const { return RunCaptured(MorivaCli() + " " + args, dir_); }

  std::filesystem::path dir_;

 private:
  std::string prefix_;
};

}  // namespace moriva
