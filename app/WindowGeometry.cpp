#include "app/WindowGeometry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "app/CalendarView.h"
#include "app/MonthlyCalendar.h"
#include "settings/WindowPlacement.h"

namespace moriva {

namespace {

void TakeFonts(const TCalendarView& view, std::array<TCalendarFont, CalendarFontCount>& fonts) {
  for (int i = 0; i < CalendarFontCount; ++i)
    fonts[i] = view.Fonts().Font(static_cast<TCalendarFontIndex>(i));
}

// The designed fonts drawn `scale` times as high, handed over in one change (one redraw).
void ScaleFonts(TCalendarView& view, const std::array<TCalendarFont, CalendarFontCount>& designed,
                double scale) {
  TCalendarFonts fonts;
  for (int i = 0; i < CalendarFontCount; ++i) {
    TCalendarFont f = designed[i];
    f.SetHeight(std::max(1, static_cast<int>(std::lround(f.Height(view.logicalDpiY()) * scale))));
    fonts.SetFont(static_cast<TCalendarFontIndex>(i), f);
  }
  view.SetFonts(fonts);
}

}  // namespace

TCalendarGrowth::TCalendarGrowth(QWidget& window, QWidget& area, TMonthlyCalendar& month,
                                 TCalendarView& week, QSize designed, int monthWidth)
    : QObject(&window),
      window_(window),
      area_(area),
      month_(month),
      week_(week),
      designed_(designed),
      month_width_(monthWidth) {
  TakeFonts(month_, month_fonts_);
  TakeFonts(week_, week_fonts_);
  window_.setMinimumSize(designed_);
  area_.installEventFilter(this);
}

bool TCalendarGrowth::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &area_ && event->type() == QEvent::Resize) Follow();
  return false;
}

void TCalendarGrowth::Follow() {
  // The menu, tool and status bars keep their size, so the calendars' designed area is the
  // designed window less what those take now.
  const QSize bars = window_.size() - area_.size();
  const QSize designedArea = designed_ - bars;
  if (designedArea.width() <= 0 || designedArea.height() <= 0) return;  // not laid out yet
  const double across = std::max(1.0, double(area_.width()) / designedArea.width());
  const double down = std::max(1.0, double(area_.height()) / designedArea.height());
  month_.setFixedWidth(static_cast<int>(std::lround(month_width_ * across)));
  // Font heights are whole pixels: a scale that changes none of them redraws nothing.
  const double scale = std::min(across, down);
  if (std::abs(scale - font_scale_) < 1e-3) return;
  font_scale_ = scale;
  ScaleFonts(month_, month_fonts_, scale);
  ScaleFonts(week_, week_fonts_, scale);
}

bool RestoreWindowPlacement(QWidget& window, const std::filesystem::path& settingsFile) {
  const std::optional<TWindowPlacement> saved = ReadWindowPlacement(settingsFile);
  if (!saved) return false;
  std::vector<TWindowRect> screens;
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    const QRect r = primary->availableGeometry();
    screens.push_back({r.x(), r.y(), r.width(), r.height()});
  }
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen == QGuiApplication::primaryScreen()) continue;
    const QRect r = screen->availableGeometry();
    screens.push_back({r.x(), r.y(), r.width(), r.height()});
  }
  // The frame (title bar, borders) must fit on the screen as well as the inside.
  const QSize frame = window.frameGeometry().size() - window.size();
  TWindowRect outer = saved->Rect;
  outer.Width += frame.width();
  outer.Height += frame.height();
  const QSize minimum = window.minimumSize() + frame;
  const TWindowRect fitted = FitOnScreens(outer, screens, minimum.width(), minimum.height());
  window.resize(fitted.Width - frame.width(), fitted.Height - frame.height());
  window.move(fitted.Left, fitted.Top);
  if (saved->Maximized) window.setWindowState(window.windowState() | Qt::WindowMaximized);
  return true;
}

void SaveWindowPlacement(const QWidget& window, const std::filesystem::path& settingsFile,
                         QPoint startCorner, QSize designed) {
  TWindowPlacement p;
  p.Maximized = window.isMaximized();
  // A maximized window is kept with the place it returns to when restored.
  const QRect normal = p.Maximized ? window.normalGeometry() : window.geometry();
  const QPoint corner =
      p.Maximized ? normal.topLeft() - (window.geometry().topLeft() - window.pos()) : window.pos();
  p.Rect = {corner.x(), corner.y(), normal.width(), normal.height()};
  const TWindowPlacement start{
      {startCorner.x(), startCorner.y(), designed.width(), designed.height()}, false};
  RememberWindowPlacement(settingsFile, p, start);
}

}  // namespace moriva
