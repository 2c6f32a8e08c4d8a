#include "schedule/ScheduleEditorFields.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/CommaText.h"
#include "schedule/ItemSummary.h"
#include "schedule/ScheduleLine.h"

namespace moriva {
namespace {

// Removes the characters with codes 0-32 at both ends, as the form's own trimming does.
std::string_view TrimBlanks(std::string_view s) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

template <size_t N>
int FindEntry(const std::array<std::string_view, N>& entries, std::string_view text) {
  const std::string_view wanted = TrimBlanks(text);
  const auto it = std::find(entries.begin(), entries.end(), wanted);
  return it == entries.end() ? kNoChoice : static_cast<int>(it - entries.begin());
}

template <size_t N>
std::string_view EntryText(const std::array<std::string_view, N>& entries, int position) {
  if (position < 0 || static_cast<size_t>(position) >= N) return {};
  return entries[static_cast<size_t>(position)];
}

}  // namespace

int FindHourEntry(std::string_view text) {
  return FindEntry(kHourEntries, text);
}

int FindMinuteEntry(std::string_view text) {
  if (TrimBlanks(text) == "00") return 0;
  return FindEntry(kMinuteEntries, text);
}

std::string_view HourEntryText(int position) {
  return EntryText(kHourEntries, position);
}

std::string_view MinuteEntryText(int position) {
  return EntryText(kMinuteEntries, position);
}

bool IsAllDayTime(std::string_view time) {
  return TrimBlanks(time).empty();
}

std::optional<TTimeChoice> ParseTime(std::string_view time) {
  std::string commas(time);
  std::replace(commas.begin(), commas.end(), ':', ',');
  const std::vector<std::string> fields = SplitCommaText(commas);
  if (fields.size() != 3) return std::nullopt;
  return TTimeChoice{FindHourEntry(fields[0]), FindMinuteEntry(fields[1])};
}

std::string ItemNodeText(std::string_view subject, std::string_view place, std::string_view time) {
  TItemParts parts;
  parts.Subject = subject;
  parts.Place = place;
  parts.Time = time;
  return SummarizeItem(parts).Text();
}

TNodeImages NodeImages(bool alarm) {
  if (alarm) return {yiAlarm, yiAlarm};
  return {yiItem, yiItemSelected};
}

std::string EditorCaption(int32_t year, int month, int day) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d/%d/%d", static_cast<int>(year), month, day);
  return std::string(buf) + " の予定";
}

bool IsWritableItemText(std::string_view cp932) {
  // Neither '"', '-', a blank nor a control code can be the second byte of a double-byte
  // character, so a plain byte search cannot be fooled by Japanese text.
  return cp932.find('"') == std::string_view::npos &&
         cp932.find(kItemSeparator) == std::string_view::npos &&
         cp932.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace moriva
