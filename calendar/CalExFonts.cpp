#include "calendar/CalExFonts.h"

#include <cmath>

namespace moriva {

int TCalExFont::Height(int dpi) const {
  if (font_.pixelSize() > 0) return font_.pixelSize();
  return static_cast<int>(std::lround(font_.pointSizeF() * dpi / 72.0));
}

void TCalExFont::Change(const QFont& font, QColor color) {
  if (font == font_ && font.resolveMask() == font_.resolveMask() && color == color_) return;
  font_ = font;
  color_ = color;
  if (OnChange) OnChange();
}

template <typename Edit>
void TCalExFont::Modify(Edit edit) {
  QFont f = font_;
  edit(f);
  Change(f, color_);
}

void TCalExFont::SetFont(const QFont& font) {
  Change(font, color_);
}

void TCalExFont::SetColor(QColor color) {
  Change(font_, color);
}

void TCalExFont::SetFamily(const QString& family) {
  Modify([&](QFont& f) { f.setFamily(family); });
}

void TCalExFont::SetHeight(int pixels) {
  Modify([&](QFont& f) { f.setPixelSize(pixels); });
}

void TCalExFont::SetPointSize(int points) {
  Modify([&](QFont& f) { f.setPointSize(points); });
}

void TCalExFont::SetBold(bool bold) {
  Modify([&](QFont& f) { f.setBold(bold); });
}

void TCalExFont::SetItalic(bool italic) {
  Modify([&](QFont& f) { f.setItalic(italic); });
}

void TCalExFont::SetUnderline(bool underline) {
  Modify([&](QFont& f) { f.setUnderline(underline); });
}

void TCalExFont::Assign(const TCalExFont& other) {
  Change(other.font_, other.color_);
}

TCalExFonts::TCalExFonts() {
  fonts_[cfDayOfWeek].SetColor(Qt::white);
  fonts_[cfHoliday].SetColor(QColor(255, 0, 0));
  fonts_[cfSunday].SetColor(QColor(255, 0, 0));
  fonts_[cfSaturday].SetColor(QColor(0, 0, 255));
  fonts_[cfSpecialDay].SetColor(QColor(0, 128, 0));
  fonts_[cfRokuyo].SetPointSize(10);
  for (TCalExFont& f : fonts_) f.OnChange = [this] { Notify(); };
}

void TCalExFonts::Notify() {
  if (!quiet_ && OnChange) OnChange();
}

void TCalExFonts::SetFont(TCalExFontIndex index, const TCalExFont& font) {
  const TCalExFont copy(font);  // `font` may be one of ours and change under the loop
  quiet_ = true;
  if (Synchronize) {
    for (TCalExFont& f : fonts_) f.Assign(copy);
  } else {
    fonts_[index].Assign(copy);
  }
  quiet_ = false;
  Notify();
}

void TCalExFonts::Assign(const TCalExFonts& other) {
  quiet_ = true;
  for (int i = 0; i < CalExFontCount; ++i) fonts_[i].Assign(other.fonts_[i]);
  quiet_ = false;
  Notify();
}

}  // namespace moriva
