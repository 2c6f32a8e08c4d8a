#include "schedule/QuickAdd.h"

#include "base/Cp932.h"
#include "schedule/QuickAddParts.h"
#include "schedule/RepeatFields.h"
#include "schedule/ScheduleEditorFields.h"
#include "schedule/ScheduleLine.h"

namespace moriva {
namespace {

struct TScanWords {
  std::vector<TCodes> PlaceMarks = WordList({"@", "場所:"});
  // Passed over after a part: 明日の15時に, 15時から.
  std::vector<TCodes> Particles = WordList({"の", "に", "で", "から", "は"});
  TCodes Until = WordCodes("まで");
  TCodes From = WordCodes("から");
  TCodes Times = WordCodes("回");
  TCodes Ordinal = WordCodes("目");
  std::vector<TCodes> SkipHolidays = WordList({"祝日を除く", "祝日除く", "祝日は除く"});
};

const TScanWords& Words() {
  static const TScanWords words;
  return words;
}

bool IsHiragana(TCharCode c) {
  return c >= 0x829F && c <= 0x82F1;
}

// What one reading of the text found.
struct TScan {
  std::optional<JuliusDay> Day;
  size_t UntilAt = kNoMatch;  // where the end day's words stand, read again from the start
  std::optional<JuliusDay> Until;
  std::optional<int> Minute;
  std::optional<TSeriesWords> Series;
  std::optional<int> Count;
  bool CountSeen = false;  // a count or 祝日を除く, which only a series can take
  bool SkipHolidays = false;
  std::string Subject, Place;
  std::string Refusal;
};

class TScanner {
 public:
  // Without `seriesEnds`, a count and 祝日を除く are words of the subject.
  TScanner(const TQuickText& text, JuliusDay today, bool seriesEnds)
      : t_(text), today_(today), series_ends_(seriesEnds) {}

  TScan Run() {
    for (size_t i = 0; i < t_.Size() && s_.Refusal.empty();) {
      if (t_.IsBlank(i)) {
        Gap(t_.Source(i, i + 1));
        ++i;
      } else if (size_t at = t_.AnyWord(i, Words().PlaceMarks); at != kNoMatch && !place_) {
        i = ReadPlace(at);
      } else if (size_t end = Part(i); end != kNoMatch) {
        Gap(" ");
        i = AfterParticles(end);
      } else {
        if (!s_.Subject.empty()) s_.Subject += gap_;
        gap_ = {};
        s_.Subject += t_.Source(i, i + 1);
        ++i;
      }
    }
    if (s_.Subject.empty() && place_) {
      // 「@駅前 歯医者」: the subject came after the place.
      const size_t blank = s_.Place.find(' ');
      if (blank != std::string::npos) {
        s_.Subject = s_.Place.substr(blank + 1);
        s_.Place.resize(blank);
      }
    }
    return s_;
  }

 private:
  void Gap(std::string_view blank) {
    if (gap_.empty()) gap_ = blank;
  }

  size_t AfterParticles(size_t at) const {
    size_t end;
    if (t_.WhichWord(at, Words().Particles, end) && !IsHiragana(t_.At(end))) return end;
    return at;
  }

  // Whether a day or a time begins at `at` (the place ends before it).
  bool PartAhead(size_t at) const {
    return MatchDay(t_, at, today_, today_).End != kNoMatch || MatchTime(t_, at).End != kNoMatch ||
           MatchSeriesWords(t_, at).End != kNoMatch;
  }

  size_t ReadPlace(size_t at) {
    place_ = true;
    size_t end = at;
    while (end < t_.Size() && !(t_.IsBlank(end) && PartAhead(t_.SkipBlanks(end)))) ++end;
    size_t last = end;
    while (last > at && t_.IsBlank(last - 1)) --last;
    // Blanks inside the place are written as typed; a later split looks for an ASCII one.
    for (size_t i = at; i < last; ++i) s_.Place += t_.IsBlank(i) ? " " : t_.Source(i, i + 1);
    Gap(" ");
    return end;
  }

  size_t Refuse(size_t end, std::string why) {
    s_.Refusal = std::move(why);
    return end;
  }

  // The part that begins at `i`, taken into the scan; its end, or kNoMatch.
  size_t Part(size_t i) {
    const TScanWords& w = Words();
    if (!s_.Series) {
      TSeriesWords series = MatchSeriesWords(t_, i);
      if (!series.Refusal.empty()) return Refuse(series.End, series.Refusal);
      if (series.End != kNoMatch) {
        s_.Series = series;
        return series.End;
      }
    }
    if (!s_.Day || !s_.Until) {
      const TDayMatch day = MatchDay(t_, i, today_, today_);
      if (!day.Refusal.empty()) return Refuse(day.End, day.Refusal);
      if (day.End != kNoMatch) return TakeDay(i, day);
    }
    if (!s_.Minute) {
      const TTimeMatch time = MatchTime(t_, i);
      if (!time.Refusal.empty()) return Refuse(time.End, time.Refusal);
      if (time.End != kNoMatch) {
        s_.Minute = time.Minute;
        return time.End;
      }
    }
    if (series_ends_) {
      size_t end;
      if (!s_.Count && (i == 0 || !t_.IsAlnum(i - 1))) {
        const std::optional<int> n = t_.Number(i, end);
        if (n && (end = t_.Word(end, w.Times)) != kNoMatch && t_.Word(end, w.Ordinal) == kNoMatch) {
          s_.Count = *n;
          s_.CountSeen = true;
          return end;
        }
      }
      if ((end = t_.AnyWord(i, w.SkipHolidays)) != kNoMatch) {
        s_.SkipHolidays = s_.CountSeen = true;
        return end;
      }
    }
    return kNoMatch;
  }

  // A day: the item's, or the end of a series with まで, or both as a range 1/12〜3/31.
  size_t TakeDay(size_t at, const TDayMatch& day) {
    const TScanWords& w = Words();
    const size_t next = t_.SkipBlanks(day.End);
    if (size_t until = t_.Word(next, w.Until); until != kNoMatch) {
      if (s_.Until) return kNoMatch;
      s_.Until = day.Day;
      s_.UntilAt = at;
      return until;
    }
    if (s_.Day) return kNoMatch;  // a second day belongs to the subject
    s_.Day = day.Day;
    size_t to = t_.At(next) == '~' ? next + 1 : t_.Word(next, w.From);
    if (to == kNoMatch || s_.Until) return day.End;
    to = t_.SkipBlanks(to);
    const TDayMatch end = MatchDay(t_, to, today_, today_);
    if (end.End == kNoMatch || !end.Refusal.empty()) return day.End;
    s_.Until = end.Day;
    s_.UntilAt = to;
    const size_t until = t_.Word(t_.SkipBlanks(end.End), w.Until);
    return until != kNoMatch ? until : end.End;
  }

  const TQuickText& t_;
  JuliusDay today_;
  bool series_ends_;
  TScan s_;
  std::string gap_;
  bool place_ = false;
};

TQuickAddReading Refusal(std::string why) {
  return {std::nullopt, std::move(why)};
}

// The rule of the series the scan found, starting on its first day from `base`.
TQuickAddReading SeriesItem(const TQuickText& text, const TScan& scan, JuliusDay today,
                            TQuickItem item) {
  const TSeriesWords& words = *scan.Series;
  const JuliusDay base = scan.Day.value_or(today);
  const std::optional<JuliusDay> start = FirstSeriesDay(words, base);
  if (!start) return Refusal("この繰り返しの最初の日がありません。");
  TRepeatFields fields;
  fields.Kind = words.Kind;
  fields.Interval = words.Interval;
  fields.Weekdays = words.Weekdays;
  fields.MonthlyBy = words.MonthlyBy;
  fields.SkipHolidays = scan.SkipHolidays;
  if (scan.Until && scan.Count) return Refusal("終わりは日付か回数のどちらかで書いてください。");
  if (scan.Until) {
    fields.End = TRepeatEnd::Date;
    fields.Until = *scan.Until;
    // A date without a year ends the series after its start, not after today.
    if (fields.Until < *start) fields.Until = MatchDay(text, scan.UntilAt, today, *start).Day;
    if (fields.Until < *start) return Refusal("終わりの日が最初の日より前です。");
  } else if (scan.Count) {
    fields.End = TRepeatEnd::Count;
    fields.Count = *scan.Count;
    if (fields.Count < 1 || static_cast<uint32_t>(fields.Count) > kMaxSeriesCount)
      return Refusal("回数は1から" + std::to_string(kMaxSeriesCount) + "までで書いてください。");
  }
  item.Rule = RuleOfFields(fields, *start);
  if (!item.Rule) return Refusal("この繰り返しは作れません。");
  item.Day = *start;
  return {std::move(item), {}};
}

}  // namespace

TQuickAddReading ReadQuickAdd(std::string_view cp932, JuliusDay today) {
  const TQuickText text(cp932);
  TScan scan = TScanner(text, today, true).Run();
  // 「3回目の面談」, 「祝日を除く」 without a series: words of the subject after all.
  if (scan.Refusal.empty() && !scan.Series && scan.CountSeen)
    scan = TScanner(text, today, false).Run();
  if (!scan.Refusal.empty()) return Refusal(scan.Refusal);
  if (scan.Subject.empty()) {
    if (text.SkipBlanks(0) == text.Size()) return {};
    return Refusal("件名を書いてください。");
  }
  if (!IsWritableItemText(scan.Subject) || !IsWritableItemText(scan.Place))
    return Refusal(std::string(kUnwritableTextMessage));
  TQuickItem item;
  item.Minute = scan.Minute;
  item.Subject = std::move(scan.Subject);
  item.Place = std::move(scan.Place);
  if (scan.Series) return SeriesItem(text, scan, today, std::move(item));
  // Without a series, 「明日まで」 is the day something is due.
  item.Day = scan.Day ? *scan.Day : scan.Until.value_or(today);
  return {std::move(item), {}};
}

namespace {

// "15:0:0" as the editor stores a time; empty for the whole day.
std::string StoredTime(const TQuickItem& item) {
  if (!item.Minute) return {};
  return std::to_string(*item.Minute / 60) + ":" + std::to_string(*item.Minute % 60) + ":0";
}

}  // namespace

std::string QuickItemText(const TQuickItem& item) {
  return MakeItemText(item.Subject, item.Place, StoredTime(item), false);
}

std::string QuickItemLine(const TQuickItem& item) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(item.Day, y, m, d);
  return JoinScheduleLine(std::to_string(y), std::to_string(m), std::to_string(d), item.Subject,
                          item.Place, StoredTime(item), AlarmFlagText(false));
}

TSeries QuickItemSeries(const TQuickItem& item) {
  return TSeries{"", item.Rule.value_or(TRecurrence{}), QuickItemText(item)};
}

}  // namespace moriva
