// The times of the quick-add reader.
#include "base/Cp932.h"
#include "schedule/QuickAddParts.h"

namespace moriva {
namespace {

struct TTimeWords {
  TCodes Noon = WordCodes("正午");
  // Morning words first, then the afternoon's; 夕方 before 夕.
  std::vector<TCodes> Halves = WordList({"午前", "朝", "午後", "昼", "夕方", "夕", "夜", "晩"});
  size_t FirstAfternoon = 2;
  TCodes Hour = WordCodes("時");
  TCodes Hours = WordCodes("時間");  // a length (2時間), not a time
  TCodes Half = WordCodes("半");
  TCodes Minute = WordCodes("分");
  std::vector<TCodes> About = WordList({"ごろ", "頃"});
  TCodes From = WordCodes("から");
  TCodes Until = WordCodes("まで");
};

const TTimeWords& Words() {
  static const TTimeWords words;
  return words;
}

// A time without the range: [午前|午後|…] (H時[半|M分] | H:MM[:SS]) or 正午.
TTimeMatch Single(const TQuickText& text, size_t at) {
  const TTimeWords& w = Words();
  if (size_t end = text.Word(at, w.Noon); end != kNoMatch) return {end, 12 * 60, {}};
  size_t i = at;
  const std::optional<size_t> half = text.WhichWord(at, w.Halves, i);
  if (!half) i = at;
  i = text.SkipBlanks(i);
  if (!half && at > 0 && text.IsAlnum(at - 1)) return {};
  const std::optional<int> hour = text.Number(i, i);
  if (!hour) return {};
  int minute = 0;
  size_t end;
  if (text.At(i) == ':' && text.IsDigit(i + 1)) {
    const std::optional<int> m = text.Number(i + 1, end);
    if (!m || end - i > 3) return {};
    minute = *m;
    if (text.At(end) == ':' && text.IsDigit(end + 1)) text.Number(end + 1, end);  // seconds
    if (text.IsAlnum(end)) return {};
  } else if ((end = text.Word(i, w.Hour)) != kNoMatch && text.Word(i, w.Hours) == kNoMatch) {
    size_t e;
    if ((e = text.Word(end, w.Half)) != kNoMatch) {
      minute = 30;
      end = e;
    } else if (const std::optional<int> m = text.Number(end, e);
               m && (e = text.Word(e, w.Minute)) != kNoMatch) {
      minute = *m;
      end = e;
    }
  } else {
    return {};
  }
  int h = *hour;
  bool readable = minute <= 59;
  if (half && *half < w.FirstAfternoon) {
    readable = readable && h <= 12;
  } else if (half) {
    readable = readable && h <= 23;
    if (h < 12) h += 12;
  } else {
    readable = readable && h <= 23;
  }
  if (!readable)
    return {end, 0, "「" + Cp932ToUtf8(text.Source(at, end)) + "」という時刻はありません。"};
  if (size_t e = text.AnyWord(end, w.About); e != kNoMatch) end = e;
  return {end, h * 60 + minute, {}};
}

}  // namespace

TTimeMatch MatchTime(const TQuickText& text, size_t at) {
  const TTimeWords& w = Words();
  TTimeMatch start = Single(text, at);
  if (start.End == kNoMatch || !start.Refusal.empty()) return start;
  // The end of a range is read only to be passed over: an item has a start time only.
  size_t i = text.SkipBlanks(start.End);
  size_t next = kNoMatch;
  if (text.At(i) == '-' || text.At(i) == '~')
    next = i + 1;
  else
    next = text.Word(i, w.From);
  if (next == kNoMatch) return start;
  const TTimeMatch end = Single(text, text.SkipBlanks(next));
  if (end.End == kNoMatch) return start;
  start.End = end.End;
  if (size_t e = text.Word(start.End, w.Until); e != kNoMatch) start.End = e;
  return start;
}

}  // namespace moriva
