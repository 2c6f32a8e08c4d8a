#include "schedule/ScheduleLine.h"

#include "base/CommaText.h"
#include "base/IntText.h"
#include "calendar/Julius.h"

namespace moriva {
namespace {

constexpr size_t kLineFields = 7;

// Every "- " becomes `","`, so that the quoted whole splits into the parts.
std::string QuotePartsForSplit(std::string_view itemText) {
  std::string out = "\"";
  size_t p = 0;
  for (size_t hit; (hit = itemText.find(kItemSeparator, p)) != std::string_view::npos;
       p = hit + kItemSeparator.size()) {
    out.append(itemText.substr(p, hit - p));
    out += "\",\"";
  }
  out.append(itemText.substr(p));
  out += '"';
  return out;
}

// year,year,month,day and the two empty fields, each followed by its comma.
std::string DayKeyText(std::string_view year, std::string_view month, std::string_view day) {
  std::string key;
  for (std::string_view part : {year, year, month, day}) {
    key.append(part);
    key += ',';
  }
  key += ",,";
  return key;
}

// subject- place- time- alarm flag.
void AppendItemText(std::string& out, std::string_view subject, std::string_view place,
                    std::string_view time, std::string_view alarmFlag) {
  for (std::string_view part : {subject, place, time}) {
    out.append(part);
    out.append(kItemSeparator);
  }
  out.append(alarmFlag);
}

// A number of one to `maxDigits` decimal digits, nothing else (no sign, no blanks).
std::optional<int32_t> DigitsValue(std::string_view s, size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  for (char c : s)
    if (c < '0' || c > '9') return std::nullopt;
  return TryStrToInt(s);
}

}  // namespace

std::optional<int32_t> StoredDateToJulius(std::string_view year, std::string_view month,
                                          std::string_view day) {
  std::optional<int32_t> y = DigitsValue(year, 4);
  std::optional<int32_t> m = DigitsValue(month, 2);
  std::optional<int32_t> d = DigitsValue(day, 2);
  if (!y || !m || !d || *m < 1 || *m > 12 || *d < 1 || *d > 31) return std::nullopt;
  const auto m8 = static_cast<uint8_t>(*m), d8 = static_cast<uint8_t>(*d);
  try {
    if (!IsValidDate(*y, m8, d8)) return std::nullopt;
    return DateToJulius(*y, m8, d8);
  } catch (const EJuliusError&) {
    return std::nullopt;  // one of the ten days the calendar reform removed
  }
}

std::string MakeDayKey(int32_t year, int month, int day) {
  return DayKeyText(std::to_string(year), std::to_string(month), std::to_string(day));
}

std::string AlarmFlagText(bool alarm) {
  return alarm ? "TRUE" : "FALSE";
}

bool IsAlarmOn(std::string_view alarmFlag) {
  return alarmFlag == "TRUE";
}

std::string MakeScheduleLine(int32_t year, int month, int day, std::string_view subject,
                             std::string_view place, std::string_view hourText,
                             std::string_view minuteText, bool alarm) {
  std::string time(hourText);
  time += ':';
  time.append(minuteText);
  time += ":0";
  return JoinScheduleLine(std::to_string(year), std::to_string(month), std::to_string(day), subject,
                          place, time, AlarmFlagText(alarm));
}

std::string MakeItemText(std::string_view subject, std::string_view place, std::string_view time,
                         bool alarm) {
  std::string text;
  AppendItemText(text, subject, place, time, AlarmFlagText(alarm));
  return text;
}

std::string JoinScheduleLine(std::string_view yearText, std::string_view monthText,
                             std::string_view dayText, std::string_view subject,
                             std::string_view place, std::string_view time,
                             std::string_view alarmFlag) {
  std::string line;
  line.reserve(2 * yearText.size() + monthText.size() + dayText.size() + subject.size() +
               place.size() + time.size() + alarmFlag.size() + 16);
  line += DayKeyText(yearText, monthText, dayText);
  line += '"';
  AppendItemText(line, subject, place, time, alarmFlag);
  line += '"';
  return line;
}

std::string GetItemText(std::string_view line) {
  std::vector<std::string> fields = SplitCommaText(line);
  return fields.size() == kLineFields ? std::move(fields[6]) : std::string();
}

std::optional<TItemParts> SplitItemText(std::string_view itemText) {
  std::vector<std::string> parts = SplitCommaText(QuotePartsForSplit(itemText));
  if (parts.size() <= 3) return std::nullopt;
  TItemParts out;
  out.Subject = std::move(parts[0]);
  out.Place = std::move(parts[1]);
  out.Time = std::move(parts[2]);
  out.AlarmFlag = std::move(parts[3]);
  if (parts.size() == 5) out.Extra = std::move(parts[4]);
  return out;
}

std::vector<TDayItem> ListDayItems(int32_t year, int month, int day, const TLineList& list) {
  const std::string key = MakeDayKey(year, month, day);
  std::vector<TDayItem> items;
  for (size_t i = 0; i < list.Count(); ++i) {
    const std::string& line = list[i];
    if (line.find(key) == std::string::npos) continue;
    std::vector<std::string> fields = SplitCommaText(line);
    if (fields.size() != kLineFields) continue;
    TDayItem item;
    item.Index = i;
    if (std::optional<TItemParts> parts = SplitItemText(fields[6])) {
      item.Subject = std::move(parts->Subject);
      item.Place = std::move(parts->Place);
      item.Time = std::move(parts->Time);
      item.AlarmFlag = std::move(parts->AlarmFlag);
    } else {
      item.Subject = std::move(fields[6]);
    }
    items.push_back(std::move(item));
  }
  return items;
}

std::string WeekViewText(std::string_view mainText) {
  std::string text;
  for (const std::string& name : SplitCommaText(mainText)) {
    std::optional<TItemParts> parts = SplitItemText(name);
    if (!parts) {
      text += name;
      continue;
    }
    text += parts->Subject;
    if (parts->Alarm()) text += " B" + parts->Time;
    text += ": ";
  }
  return text;
}

}  // namespace moriva
