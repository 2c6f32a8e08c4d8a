#pragma once
// The seven fonts of a calendar control. A Qt font has no colour, so each entry pairs a QFont
// with the colour its text is drawn in. Every change, in place or by assignment, reaches the
// owning calendar through one notice, which redraws it.
#include <QColor>
#include <QFont>
#include <array>
#include <cstdint>
#include <functional>

namespace moriva {

// Index of each font in the set, in the order the set publishes them.
enum TCalendarFontIndex : uint8_t {
  cfWeekday,
  cfSaturday,
  cfSunday,
  cfDayOfWeek,
  cfHoliday,
  cfSpecialDay,
  cfRokuyo,
};
inline constexpr int CalendarFontCount = 7;

// One font with its colour. Setters notify through OnChange (only when something changed).
// Copies take the attributes only; the notice stays with the owner.
class TCalendarFont {
 public:
  TCalendarFont() = default;
  TCalendarFont(const QFont& font, QColor color) : font_(font), color_(color) {}
  TCalendarFont(const TCalendarFont& other) : font_(other.font_), color_(other.color_) {}
  TCalendarFont& operator=(const TCalendarFont& other) {
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
  void Assign(const TCalendarFont& other);  // font and colour

  bool operator==(const TCalendarFont& other) const {
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
class TCalendarFonts {
 public:
  TCalendarFonts();
  TCalendarFonts(const TCalendarFonts&) = delete;
  TCalendarFonts& operator=(const TCalendarFonts&) = delete;

  TCalendarFont& Font(TCalendarFontIndex index) { return fonts_[index]; }
  const TCalendarFont& Font(TCalendarFontIndex index) const { return fonts_[index]; }
  void SetFont(TCalendarFontIndex index, const TCalendarFont& font);

  TCalendarFont& Weekday() { return fonts_[cfWeekday]; }
  TCalendarFont& Saturday() { return fonts_[cfSaturday]; }
  TCalendarFont& Sunday() { return fonts_[cfSunday]; }
  TCalendarFont& DayOfWeek() { return fonts_[cfDayOfWeek]; }
  TCalendarFont& Holiday() { return fonts_[cfHoliday]; }
  TCalendarFont& SpecialDay() { return fonts_[cfSpecialDay]; }
  TCalendarFont& Rokuyo() { return fonts_[cfRokuyo]; }
  void SetWeekday(const TCalendarFont& f) { SetFont(cfWeekday, f); }
  void SetSaturday(const TCalendarFont& f) { SetFont(cfSaturday, f); }
  void SetSunday(const TCalendarFont& f) { SetFont(cfSunday, f); }
  void SetDayOfWeek(const TCalendarFont& f) { SetFont(cfDayOfWeek, f); }
  void SetHoliday(const TCalendarFont& f) { SetFont(cfHoliday, f); }
  void SetSpecialDay(const TCalendarFont& f) { SetFont(cfSpecialDay, f); }
  void SetRokuyo(const TCalendarFont& f) { SetFont(cfRokuyo, f); }

  // Copies all seven fonts of `other` (its Synchronize setting is not copied); one notice.
  void Assign(const TCalendarFonts& other);

  bool Synchronize = false;
  // Set by the owning calendar: called once after every change of any font.
  std::function<void()> OnChange;

 private:
  void Notify();

  std::array<TCalendarFont, CalendarFontCount> fonts_;
  bool quiet_ = false;  // while a write touches several fonts, they do not notify one by one
};

}  // namespace moriva
