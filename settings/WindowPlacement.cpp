#include "settings/WindowPlacement.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "base/IniFile.h"

namespace moriva {

namespace {

constexpr std::string_view kSection = "window";

std::optional<int> ReadNumber(const TIniFile& ini, std::string_view key) {
  const std::string text = ini.ReadString(kSection, key, "");
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

long long Overlap(const TWindowRect& a, const TWindowRect& b) {
  const long long w =
      std::min<long long>(a.Left + a.Width, b.Left + b.Width) - std::max<long long>(a.Left, b.Left);
  const long long h =
      std::min<long long>(a.Top + a.Height, b.Top + b.Height) - std::max<long long>(a.Top, b.Top);
  return w > 0 && h > 0 ? w * h : 0;
}

// The start of a span of `size` that lies inside [lo, lo + room) with the least move; the low
// edge wins when the span does not fit.
int Clamp(int start, int size, int lo, int room) {
  return std::max(lo, std::min(start, lo + room - size));
}

}  // namespace

std::optional<TWindowPlacement> ReadWindowPlacement(const std::filesystem::path& settingsFile) {
  const TIniFile ini(settingsFile);
  const auto left = ReadNumber(ini, "left"), top = ReadNumber(ini, "top");
  const auto width = ReadNumber(ini, "width"), height = ReadNumber(ini, "height");
  if (!left || !top || !width || !height || *width <= 0 || *height <= 0) return std::nullopt;
  TWindowPlacement p;
  p.Rect = {*left, *top, *width, *height};
  p.Maximized = ini.ReadString(kSection, "maximized", "") == "true";
  return p;
}

void RememberWindowPlacement(const std::filesystem::path& settingsFile, const TWindowPlacement& p,
                             const TWindowPlacement& startPlace) {
  const std::optional<TWindowPlacement> saved = ReadWindowPlacement(settingsFile);
  if (p == (saved ? *saved : startPlace)) return;
  TIniFile ini(settingsFile);
  ini.WriteString(kSection, "left", std::to_string(p.Rect.Left));
  ini.WriteString(kSection, "top", std::to_string(p.Rect.Top));
  ini.WriteString(kSection, "width", std::to_string(p.Rect.Width));
  ini.WriteString(kSection, "height", std::to_string(p.Rect.Height));
  ini.WriteString(kSection, "maximized", p.Maximized ? "true" : "false");
  ini.Save();
}

TWindowRect FitOnScreens(TWindowRect window, const std::vector<TWindowRect>& screens, int minWidth,
                         int minHeight) {
  if (screens.empty()) return window;
  const TWindowRect* screen = &screens.front();
  long long best = 0;
  for (const TWindowRect& s : screens) {
    if (const long long o = Overlap(window, s); o > best) {
      best = o;
      screen = &s;
    }
  }
  window.Width = std::max(std::min(window.Width, screen->Width), minWidth);
  window.Height = std::max(std::min(window.Height, screen->Height), minHeight);
  window.Left = Clamp(window.Left, window.Width, screen->Left, screen->Width);
  window.Top = Clamp(window.Top, window.Height, screen->Top, screen->Height);
  return window;
}

}  // namespace moriva
