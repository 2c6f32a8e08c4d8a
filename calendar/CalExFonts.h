#pragma once
// The seven fonts of a calendar control. A Qt font has no colour, so each entry pairs a QFont
// with the colour its text is drawn in. Every change, in place or by assignment, reaches the
// owning calendar through one notice, which redraws it.
#include <QColor>
#include <QFont>
#include <array>
#include <functional>

namespace moriva {

// Index of each font in the set, in the order the set publishes them.
enum TCalExFontIndex : uint8_t {
  cfWeekday,
  cfSaturday,
  cfSunday,
  cfDayOfWeek,
  cfHoliday,
  cfSpecialDay,
  cfRokuyo,
};
inline constexpr int CalExFontCount = 7;

// One font with its colour. Setters notify through OnChange (only when something changed).
// Copies take the attributes only; the notice stays with the owner.
class TCalExFont {
 public:
  TCalExFont() = default;
  TCalExFont(const QFont& font, QColor color) : font_(font), color_(color) {}
  TCalExFont(const TCalExFont& other) : font_(other.font_), color_(other.color_) {}
  TCalExFont& operator=(const TCalExFont& other) {
    Assign(other);
    return *this;
  }

  const QFont& Font() const { return font_; }
  QColor Color() const { return color_; }
  // Height in pixels of the character cell: the pixel size when one is set, otherwise the
  // point size converted at `dpi` (so a 10-point font is 13 pixels high at 96 dpi).
  int Height(int dpi = 96) const;

  void SetFont(const QFont& font);  // every attribute of `font`; the colour stays
  void SetColor(QColor color);
  void SetFamily(const QString& family);
  void SetHeight(int pixels);  // the pixel size
  void SetPointSize(int points);
  void SetBold(bool bold);
  void SetItalic(bool italic);
  void SetUnderline(bool underline);
  void Assign(const TCalExFont& other);  // font and colour

  bool operator==(const TCalExFont& other) const {
    return font_ == other.font_ && color_ == other.color_;
  }

  std::function<void()> OnChange;

 private:
  void Change(const QFont& font, QColor color);
  // Changes one attribute of a copy of the font and takes the copy if it differs.
  template <typename Edit>
  void Modify(Edit edit);

  QFont font_;
  QColor color_ = Qt::black;
};

// The set: Weekday, Saturday, Sunday, DayOfWeek, Holiday, SpecialDay, Rokuyo. Reading a font
// gives the entry itself, to be changed in place; writing one copies the given attributes into
// that entry or, with Synchronize on, into all seven. One notice per write either way.
class TCalExFonts {
 public:
  TCalExFonts();
  TCalExFonts(const TCalExFonts&) = delete;
  TCalExFonts& operator=(const TCalExFonts&) = delete;

  TCalExFont& Font(TCalExFontIndex index) { return fonts_[index]; }
  const TCalExFont& Font(TCalExFontIndex index) const { return fonts_[index]; }
  void SetFont(TCalExFontIndex index, const TCalExFont& font);

  TCalExFont& Weekday() { return fonts_[cfWeekday]; }
  TCalExFont& Saturday() { return fonts_[cfSaturday]; }
  TCalExFont& Sunday() { return fonts_[cfSunday]; }
  TCalExFont& DayOfWeek() { return fonts_[cfDayOfWeek]; }
  TCalExFont& Holiday() { return fonts_[cfHoliday]; }
  TCalExFont& SpecialDay() { return fonts_[cfSpecialDay]; }
  TCalExFont& Rokuyo() { return fonts_[cfRokuyo]; }
  void SetWeekday(const TCalExFont& f) { SetFont(cfWeekday, f); }
  void SetSaturday(const TCalExFont& f) { SetFont(cfSaturday, f); }
  void SetSunday(const TCalExFont& f) { SetFont(cfSunday, f); }
  void SetDayOfWeek(const TCalExFont& f) { SetFont(cfDayOfWeek, f); }
  void SetHoliday(const TCalExFont& f) { SetFont(cfHoliday, f); }
  void SetSpecialDay(const TCalExFont& f) { SetFont(cfSpecialDay, f); }
  void SetRokuyo(const TCalExFont& f) { SetFont(cfRokuyo, f); }

  // Copies all seven fonts of `other` (its Synchronize setting is not copied); one notice.
  void Assign(const TCalExFonts& other);

  bool Synchronize = false;
  // Set by the owning calendar: called once after every change of any font.
  std::function<void()> OnChange;

 private:
  void Notify();

  std::array<TCalExFont, CalExFontCount> fonts_;
  bool quiet_ = false;  // while a write touches several fonts, they do not notify one by one
};

}  // namespace moriva
