// Who may read what the program writes: its settings and gathered files are the owner's alone,
// the user's own documents follow the umask.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/FileIO.h"
#include "base/IniFile.h"
#include "base/ProgramFolders.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const fs::path& p) {
  struct stat st {};
  return stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class PrivateFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/moriva-private.XXXXXX";
    dir_ = mkdtemp(pattern);
    old_umask_ = umask(022);
  }
  void TearDown() override {
    umask(old_umask_);
    fs::remove_all(dir_);
  }
  fs::path dir_;
  mode_t old_umask_ = 0;
};

TEST_F(PrivateFilesTest, WriteModesForNewAndExistingFiles) {
  struct Case {
    const char* name;
    TFileAccess access;
    mode_t before;  // 0: no file yet
    mode_t after;
  };
  const Case cases[] = {
      {"a new document follows the umask", TFileAccess::FollowUmask, 0, 0644},
      {"a document keeps its bits", TFileAccess::FollowUmask, 0640, 0640},
      {"a new settings file", TFileAccess::PrivateWhenNew, 0, 0600},
      {"settings keep what the user chose", TFileAccess::PrivateWhenNew, 0644, 0644},
      {"a new private file", TFileAccess::OwnerOnly, 0, 0600},
      {"an old readable one is tightened", TFileAccess::OwnerOnly, 0664, 0600},
      {"the owner's own bits stay", TFileAccess::OwnerOnly, 0400, 0400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = dir_ / c.name;
    if (c.before) {
      WriteFileAtomically(file, "old");
      chmod(file.c_str(), c.before);
    }
    WriteFileAtomically(file, "new", c.access);
    EXPECT_EQ(ModeOf(file), c.after) << std::oct << ModeOf(file);
    EXPECT_EQ(ReadFileBytes(file), "new");
  }
}

TEST_F(PrivateFilesTest, SettingsFileIsTightenedOnlyWhenItHoldsAPassword) {
  struct Case {
    const char* key;
    const char* value;
    mode_t after;  // from 0644
  };
  const Case cases[] = {
      {"smtp", "mail.example.jp", 0644}, {"password", "", 0644},  // an emptied password (kept
                                                                  // elsewhere) is no secret
      {"password", "084104101", 0600},   {"SmtpPassword", "x", 0600}, {"caldavpassword", "x", 0600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    const fs::path ini = dir_ / "hs110.ini";
    fs::remove(ini);
    WriteProfileString("email", "smtp", "", ini);
    EXPECT_EQ(ModeOf(ini), 0600u) << "a new settings file";
    chmod(ini.c_str(), 0644);
    WriteProfileString("email", c.key, c.value, ini);
    EXPECT_EQ(ModeOf(ini), c.after);
  }
}

TEST_F(PrivateFilesTest, ProgramFoldersAreMadeForTheOwnerOnly) {
  const fs::path existing = dir_ / "home";
  fs::create_directory(existing);
  chmod(existing.c_str(), 0755);
  const fs::path deep = existing / ".config" / "moriva";
  MakeProgramFolder(deep);
  EXPECT_EQ(ModeOf(existing), 0755u) << "a folder that was there is left alone";
  EXPECT_EQ(ModeOf(existing / ".config"), 0700u);
  EXPECT_EQ(ModeOf(deep), 0700u);
  MakeProgramFolder(deep);  // again: nothing to do, nothing fails
  EXPECT_EQ(ModeOf(deep), 0700u);
}

}  // namespace
}  // namespace moriva
