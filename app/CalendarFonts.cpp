#include "app/CalendarFonts.h"

#include <cmath>

namespace moriva {

int TCalendarFont::Height(int dpi) const {
  if (font_.pixelSize() > 0) return font_.pixelSize();
  return static_cast<int>(std::lround(font_.pointSizeF() * dpi / 72.0));
}

void TCalendarFont::Change(const QFont& font, QColor color) {
  if (font == font_ && font.resolveMask() == font_.resolveMask() && color == color_) return;
  font_ = font;
  color_ = color;
  if (OnChange) OnChange();
}

template <typename Edit>
void TCalendarFont::Modify(Edit edit) {
  QFont f = font_;
  edit(f);
  Change(f, color_);
}

void TCalendarFont::SetFont(const QFont& font) {
  Change(font, color_);
}

void TCalendarFont::SetColor(QColor color) {
  Change(font_, color);
}

void TCalendarFont::SetFamily(const QString& family) {
  Modify([&](QFont& f) { f.setFamily(family); });
}

void TCalendarFont::SetHeight(int pixels) {
  Modify([&](QFont& f) { f.setPixelSize(pixels); });
}

void TCalendarFont::SetPointSize(int points) {
  Modify([&](QFont& f) { f.setPointSize(points); });
}

void TCalendarFont::SetBold(bool bold) {
  Modify([&](QFont& f) { f.setBold(bold); });
}

void TCalendarFont::SetItalic(bool italic) {
  Modify([&](QFont& f) { f.setItalic(italic); });
}

void TCalendarFont::SetUnderline(bool underline) {
  Modify([&](QFont& f) { f.setUnderline(underline); });
}

void TCalendarFont::Assign(const TCalendarFont& other) {
  Change(other.font_, other.color_);
}

TCalendarFonts::TCalendarFonts() {
  fonts_[cfDayOfWeek].SetColor(Qt::white);
  fonts_[cfHoliday].SetColor(QColor(255, 0, 0));
  fonts_[cfSunday].SetColor(QColor(255, 0, 0));
  fonts_[cfSaturday].SetColor(QColor(0, 0, 255));
  fonts_[cfSpecialDay].SetColor(QColor(0, 128, 0));
  fonts_[cfRokuyo].SetPointSize(10);
  for (TCalendarFont& f : fonts_) f.OnChange = [this] { Notify(); };
}

void TCalendarFonts::Notify() {
  if (!quiet_ && OnChange) OnChange();
}

void TCalendarFonts::SetFont(TCalendarFontIndex index, const TCalendarFont& font) {
  const TCalendarFont copy(font);  // `font` may be one of ours and change under the loop
  quiet_ = true;
  if (Synchronize) {
    for (TCalendarFont& f : fonts_) f.Assign(copy);
  } else {
    fonts_[index].Assign(copy);
  }
  quiet_ = false;
  Notify();
}

void TCalendarFonts::Assign(const TCalendarFonts& other) {
  quiet_ = true;
  for (int i = 0; i < CalendarFontCount; ++i) fonts_[i].Assign(other.fonts_[i]);
  quiet_ = false;
  Notify();
}

}  // namespace moriva
