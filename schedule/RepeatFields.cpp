#include "schedule/RepeatFields.h"

namespace moriva {
namespace {

int WeekOfMonth(JuliusDay z) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  return (d - 1) / 7 + 1;
}

}  // namespace

std::array<std::string, 4> MonthlyByTexts(JuliusDay start) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(start, y, m, d);
  const std::string weekday = std::string(kWeekdayTexts[JuliusDayOfWeek(start) - 1]) + "曜日";
  return {std::to_string(d) + "日", "第" + std::to_string(WeekOfMonth(start)) + weekday,
          "最終" + weekday, "末日"};
}

std::optional<TRecurrence> RuleOfFields(const TRepeatFields& fields, JuliusDay start) {
  if (fields.Kind == TRepeatKind::None) return std::nullopt;
  if (fields.Interval < 1 || fields.Interval > kMaxSeriesInterval) return std::nullopt;
  TRecurrence rule;
  rule.Start = start;
  rule.Interval = static_cast<uint16_t>(fields.Interval);
  const uint8_t startWeekday = WeekdayBit(JuliusDayOfWeek(start));
  switch (fields.Kind) {
    case TRepeatKind::Daily:
      rule.Unit = TRepeatUnit::Day;
      break;
    case TRepeatKind::Weekly:
      rule.Unit = TRepeatUnit::Week;
      rule.Weekdays = fields.Weekdays ? fields.Weekdays : startWeekday;
      break;
    case TRepeatKind::Monthly: {
      rule.Unit = TRepeatUnit::Month;
      int32_t y;
      uint8_t m, d;
      JuliusToDate(start, y, m, d);
      if (fields.MonthlyBy == TMonthlyBy::Day) {
        rule.MonthDay = d;
      } else if (fields.MonthlyBy == TMonthlyBy::LastDay) {
        rule.MonthDay = kLastMonthDay;
      } else {
        rule.Weekdays = startWeekday;
        rule.WeekNo = fields.MonthlyBy == TMonthlyBy::LastWeekday
                          ? kLastWeek
                          : static_cast<int8_t>(WeekOfMonth(start));
      }
      break;
    }
    case TRepeatKind::Yearly:
      rule.Unit = TRepeatUnit::Year;
      break;
    case TRepeatKind::None:
      return std::nullopt;
  }
  if (fields.End == TRepeatEnd::Date) {
    const JuliusDay until = fields.Until ? fields.Until : start;
    if (until < start) return std::nullopt;
    rule.Until = until;
  } else if (fields.End == TRepeatEnd::Count) {
    if (fields.Count < 1 || static_cast<uint32_t>(fields.Count) > kMaxSeriesCount)
      return std::nullopt;
    rule.Count = static_cast<uint32_t>(fields.Count);
  }
  rule.SkipHolidays = fields.SkipHolidays;
  if (!IsValidRecurrence(rule)) return std::nullopt;
  return rule;
}

TRepeatFields FieldsOfRule(const TRecurrence& rule) {
  TRepeatFields fields;
  fields.Interval = rule.Interval;
  switch (rule.Unit) {
    case TRepeatUnit::Day:
      fields.Kind = TRepeatKind::Daily;
      break;
    case TRepeatUnit::Week:
      fields.Kind = TRepeatKind::Weekly;
      fields.Weekdays = rule.Weekdays;
      break;
    case TRepeatUnit::Month:
      fields.Kind = TRepeatKind::Monthly;
      fields.MonthlyBy = rule.MonthDay == kLastMonthDay ? TMonthlyBy::LastDay
                         : rule.MonthDay                ? TMonthlyBy::Day
                         : rule.WeekNo == kLastWeek     ? TMonthlyBy::LastWeekday
                                                        : TMonthlyBy::Weekday;
      break;
    case TRepeatUnit::Year:
      fields.Kind = TRepeatKind::Yearly;
      break;
  }
  if (rule.Until) {
    fields.End = TRepeatEnd::Date;
    fields.Until = *rule.Until;
  } else if (rule.Count) {
    fields.End = TRepeatEnd::Count;
    fields.Count = static_cast<int>(*rule.Count);
  }
  fields.SkipHolidays = rule.SkipHolidays;
  return fields;
}

bool RuleFieldsChanged(const TRepeatFields& fields, const TRecurrence& rule) {
  return fields != FieldsOfRule(rule);
}

}  // namespace moriva
