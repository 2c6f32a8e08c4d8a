#pragma once
// Where the main window was and how large, kept in the settings file between runs, and put
// back inside the screens there are now: a window saved on a monitor since unplugged, or on a
// larger screen, must still come up whole and within reach.
#include <filesystem>
#include <optional>
#include <vector>

namespace moriva {

// Left and top are the outer corner (frame included), width and height the inside of the
// window; for a screen, its area free of panels.
struct TWindowRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const TWindowRect&) const = default;
};

struct TWindowPlacement {
  TWindowRect Rect;  // the normal (not maximized) place
  bool Maximized = false;
  bool operator==(const TWindowPlacement&) const = default;
};

// Section "window", keys "left", "top", "width", "height" (pixels) and "maximized"
// ("true"/"false"). Nothing when a number is missing or unreadable or a size is not positive:
// the window then comes up where it always did.
std::optional<TWindowPlacement> ReadWindowPlacement(const std::filesystem::path& settingsFile);
// Writes the place unless the file holds it already, or holds none and `p` is `startPlace`,
// where the window comes up without one: a window the user never moved leaves the file as it
// was. Throws EFileError as every settings write does.
void RememberWindowPlacement(const std::filesystem::path& settingsFile, const TWindowPlacement& p,
                             const TWindowPlacement& startPlace);

// Puts `window` (its outer rectangle) on the screen it overlaps most, the first screen when it
// overlaps none: its size reduced to that screen's but never below `minWidth` × `minHeight`,
// then moved just as far as needed to lie wholly inside; a window larger than the screen keeps
// its left and top edges on it. With no screens the window is returned as it is.
TWindowRect FitOnScreens(TWindowRect window, const std::vector<TWindowRect>& screens, int minWidth,
                         int minHeight);

}  // namespace moriva
