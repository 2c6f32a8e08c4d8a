#pragma once
// What the schedule editor computes without a window: its hour and minute choices, how a stored
// time selects them, the texts and icons of the day's tree, the window caption, and which item
// texts it refuses to write. The editing state and steps live in ScheduleEditor.h.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace moriva {

// The hour choice starts at "0" so that a cleared form shows midnight, then runs through the
// working day from 7 and on to the small hours, each hour once. The fields keep positions in
// this list and a line stores the entry's text, so the order may change without changing files.
inline constexpr std::array<std::string_view, 24> kHourEntries = {
    "0",  "7",  "8",  "9",  "10", "11", "12", "13", "14", "15", "16", "17",
    "18", "19", "20", "21", "22", "23", "1",  "2",  "3",  "4",  "5",  "6"};

// Minutes in steps of five.
inline constexpr std::array<std::string_view, 12> kMinuteEntries = {
    "0", "5", "10", "15", "20", "25", "30", "35", "40", "45", "50", "55"};

// A choice that is not set: the box shows no entry and its text is empty.
inline constexpr int kNoChoice = -1;

// The position of the first hour entry equal to `text` with surrounding blanks (codes 1-32)
// removed, or kNoChoice.
int FindHourEntry(std::string_view text);

// The same for minutes; "00", as other programs write a full hour, selects "0".
int FindMinuteEntry(std::string_view text);

// The entry's text, or "" for kNoChoice or a position outside the list.
std::string_view HourEntryText(int position);
std::string_view MinuteEntryText(int position);

// The positions a stored time selects.
struct TTimeChoice {
  int Hour = kNoChoice;
  int Minute = kNoChoice;
  bool operator==(const TTimeChoice&) const = default;
};

// Whether an item's time part says it has no time (empty, or blanks only): the item lasts the
// whole day. This is how items without a time have always been stored (a handset's CSV row
// without a start time reads so), and the handset CSV and iCalendar carry it as all-day.
bool IsAllDayTime(std::string_view time);

// Reads the time part of an item ("9:30:0"): its ":" become commas and the text is split as
// comma text. Only a time of exactly three pieces is read; anything else gives nullopt and the
// choices should stay as they were. A piece that is not an entry gives kNoChoice.
std::optional<TTimeChoice> ParseTime(std::string_view time);

// The text of a tree node, as every list of items shows one: "09:30 件名 @場所".
std::string ItemNodeText(std::string_view subject, std::string_view place, std::string_view time);

// The images of the editor's image list.
enum TItemImage : int { yiItem = 0, yiItemSelected = 1, yiAlarm = 2 };

// The image a node shows normally and while selected: an alarm item keeps its bell.
struct TNodeImages {
  TItemImage Normal;
  TItemImage Selected;
  bool operator==(const TNodeImages&) const = default;
};
TNodeImages NodeImages(bool alarm);

// The window caption for a day: "2026/3/4 の予定" (UTF-8, no leading zeros).
std::string EditorCaption(int32_t year, int month, int day);

// A subject or place that could not be read back from its line: a double quote ends the quoted
// text early (the item then vanishes from its day), a "- " shifts the parts, and a line break
// or NUL would split or cut the line in the file.
bool IsWritableItemText(std::string_view cp932);

// What the editor says when it refuses such a text (UTF-8).
inline constexpr std::string_view kUnwritableTextMessage =
    "件名と場所には、二重引用符（\"）、「- 」（ハイフンと空白）と改行は使えません。";

}  // namespace moriva
