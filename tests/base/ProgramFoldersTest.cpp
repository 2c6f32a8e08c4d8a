// Where the program's files live: beside a copy the user may write, else the desktop's folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>

#include "base/FileIO.h"
#include "base/ProgramFolders.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

TEnvironment Env(std::map<std::string, std::string> vars) {
  return [vars](std::string_view name) -> std::optional<std::string> {
    auto it = vars.find(std::string(name));
    if (it == vars.end()) return std::nullopt;
    return it->second;
  };
}

TEST(ProgramFoldersTest, ChoosesBesideTheProgramOrTheXdgFolders) {
  const fs::path program = "/opt/moriva/bin/";
  struct Case {
    const char* name;
    bool installed;
    std::map<std::string, std::string> env;
    TProgramFolders expected;
  };
  const Case cases[] = {
      {"a writable copy ignores the environment",
       false,
       {{"HOME", "/h"}, {"XDG_CONFIG_HOME", "/c"}},
       TProgramFolders(program)},
      {"both XDG variables",
       true,
       {{"HOME", "/h"}, {"XDG_CONFIG_HOME", "/c"}, {"XDG_DATA_HOME", "/d"}},
       {"/c/moriva", "/d/moriva"}},
      {"defaults under HOME",
       true,
       {{"HOME", "/h"}},
       {"/h/.config/moriva", "/h/.local/share/moriva"}},
      {"empty and relative values count as unset",
       true,
       {{"HOME", "/h"}, {"XDG_CONFIG_HOME", ""}, {"XDG_DATA_HOME", "rel"}},
       {"/h/.config/moriva", "/h/.local/share/moriva"}},
      {"no home at all: beside the program",
       true,
       {{"HOME", "relative"}},
       TProgramFolders(program)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChooseProgramFolders(program, c.installed, Env(c.env)), c.expected);
  }
}

TEST(ProgramFoldersTest, AnInstalledTreeIsKnownByItsDesktopEntry) {
  const fs::path root = fs::temp_directory_path() / ("moriva_folders_" + std::to_string(getpid()));
  fs::create_directories(root / "usr" / "bin");
  EXPECT_FALSE(IsInstalledProgramFolder(root / "usr" / "bin" / ""));  // a writable copy
  MakeProgramFolder(root / "usr" / "share" / "applications");
  WriteFileAtomically(root / "usr" / "share" / "applications" / "moriva.desktop", "");
  EXPECT_TRUE(IsInstalledProgramFolder(root / "usr" / "bin" / ""));
  EXPECT_TRUE(IsInstalledProgramFolder(root / "usr" / "bin"));
  EXPECT_FALSE(IsInstalledProgramFolder(root / "usr"));
  fs::remove_all(root);
}

}  // namespace
}  // namespace moriva
