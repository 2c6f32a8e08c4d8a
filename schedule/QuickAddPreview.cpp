// What the quick-add box says it will make.
#include "base/Cp932.h"
#include "schedule/ItemSummary.h"
#include "schedule/QuickAdd.h"
#include "schedule/RepeatFields.h"

namespace moriva {
namespace {

std::string WeekdayName(JuliusDay z) {
  return std::string(kWeekdayTexts[JuliusDayOfWeek(z) - 1]);
}

// 12月8日(火), or 2027年1月10日(日) outside today's year.
std::string DayText(JuliusDay z, JuliusDay today) {
  int32_t y, thisYear;
  uint8_t m, d, tm, td;
  JuliusToDate(z, y, m, d);
  JuliusToDate(today, thisYear, tm, td);
  std::string text = y == thisYear ? "" : std::to_string(y) + "年";
  return text + std::to_string(m) + "月" + std::to_string(d) + "日(" + WeekdayName(z) + ")";
}

// 毎日, 平日, 毎週月・水曜日, 隔週火曜日, 毎月8日, 毎月第2火曜日, 毎年12月8日.
std::string RuleText(const TRecurrence& rule) {
  const std::string every = rule.Interval == 2 && rule.Unit == TRepeatUnit::Week
                                ? "隔週"
                                : std::string(kRepeatKindTexts[static_cast<int>(rule.Unit) + 1]);
  int32_t y;
  uint8_t m, d;
  JuliusToDate(rule.Start, y, m, d);
  switch (rule.Unit) {
    case TRepeatUnit::Day:
      return every;
    case TRepeatUnit::Week: {
      if (rule.Weekdays == 0x3E && rule.Interval == 1) return "平日";
      std::string days;
      for (uint8_t w = 2; w <= 8; ++w) {  // from Monday, Sunday last
        const uint8_t weekday = w == 8 ? 1 : w;
        if (!(rule.Weekdays & WeekdayBit(weekday))) continue;
        if (!days.empty()) days += "・";
        days += kWeekdayTexts[weekday - 1];
      }
      return every + days + "曜日";
    }
    case TRepeatUnit::Month: {
      const std::array<std::string, 4> texts = MonthlyByTexts(rule.Start);
      return every + texts[static_cast<size_t>(FieldsOfRule(rule).MonthlyBy)];
    }
    case TRepeatUnit::Year:
      return every + std::to_string(m) + "月" + std::to_string(d) + "日";
  }
  return every;
}

}  // namespace

std::string QuickAddPreview(const TQuickItem& item, JuliusDay today) {
  const std::string what =
      Cp932ToUtf8(TItemSummary{item.Minute, item.Subject, item.Place, false}.Text());
  if (!item.Rule) return DayText(item.Day, today) + " " + what;
  std::string text = RuleText(*item.Rule) + " " + what + "（" + DayText(item.Day, today) + "から";
  if (item.Rule->Until) text += "、" + DayText(*item.Rule->Until, today) + "まで";
  if (item.Rule->Count) text += "、" + std::to_string(*item.Rule->Count) + "回";
  if (item.Rule->SkipHolidays) text += "、祝日を除く";
  return text + "）";
}

}  // namespace moriva
