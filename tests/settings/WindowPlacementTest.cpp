#include "settings/WindowPlacement.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "base/FileIO.h"

namespace fs = std::filesystem;
using namespace moriva;

namespace {

TEST(WindowPlacementTest, FitOnScreensKeepsTheWindowWholeOnTheScreenItOverlapsMost) {
  const std::vector<TWindowRect> two = {{0, 0, 1920, 1050}, {1920, 200, 1280, 1000}};
  const struct {
    const char* what;
    TWindowRect window, expected;
  } cases[] = {
      {"inside: unchanged", {100, 50, 800, 600}, {100, 50, 800, 600}},
      {"right edge over: moved left", {1500, 50, 600, 400}, {1320, 50, 600, 400}},
      {"mostly on the second: moved onto it", {1900, 150, 600, 400}, {1920, 200, 600, 400}},
      {"screen since unplugged: onto the first", {5000, 3000, 600, 400}, {1320, 650, 600, 400}},
      {"above and left: pulled in", {-700, -300, 600, 400}, {0, 0, 600, 400}},
      {"larger than the screen: cut to it", {-10, -10, 2500, 1400}, {0, 0, 1920, 1050}},
      {"taller than the second: cut to it", {2000, 100, 1000, 1200}, {2000, 200, 1000, 1000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FitOnScreens(c.window, two, 574, 300), c.expected);
  }
  // A screen smaller than the minimum: the minimum wins, the left and top edges stay on it.
  EXPECT_EQ(FitOnScreens({50, 50, 800, 600}, {{0, 0, 500, 250}}, 574, 300),
            (TWindowRect{0, 0, 574, 300}));
  EXPECT_EQ(FitOnScreens({50, 50, 800, 600}, {}, 574, 300), (TWindowRect{50, 50, 800, 600}));
}

TEST(WindowPlacementTest, RememberedOnlyWhenMovedAndReadBackOnlyWhenWhole) {
  const fs::path dir = fs::temp_directory_path() / ("moriva_place_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path ini = dir / "hs110.ini";
  WriteFileAtomically(ini, "[global]\r\nmrvfile=a.mrv\r\n");
  const TWindowPlacement start{{10, 10, 574, 300}, false};

  RememberWindowPlacement(ini, start, start);  // never moved: the file stays as it was
  EXPECT_EQ(ReadFileBytes(ini), "[global]\r\nmrvfile=a.mrv\r\n");
  EXPECT_FALSE(ReadWindowPlacement(ini));

  const TWindowPlacement moved{{-20, 40, 900, 700}, true};
  RememberWindowPlacement(ini, moved, start);
  EXPECT_EQ(ReadWindowPlacement(ini), moved);
  RememberWindowPlacement(ini, start, start);  // moved back: that is a change too
  EXPECT_EQ(ReadWindowPlacement(ini), start);

  for (const char* width : {"", "0", "-5", "12px", "99999999999"}) {
    SCOPED_TRACE(width);
    WriteFileAtomically(
        ini, std::string("[window]\r\nleft=1\r\ntop=2\r\nheight=3\r\nwidth=") + width + "\r\n");
    EXPECT_FALSE(ReadWindowPlacement(ini));
  }
  fs::remove_all(dir);
}

}  // namespace
