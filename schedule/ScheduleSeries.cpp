#include "schedule/ScheduleSeries.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace moriva {

namespace {

// 128 bits as a UUID of the given version, variant 10xx, in lower case.
std::string UuidText(uint64_t hi, uint64_t lo, unsigned version) {
  const uint64_t a = (hi & 0xFFFFFFFFFFFF0FFFull) | (uint64_t{version} << 12);
  const uint64_t b = (lo & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;
  char text[40];
  std::snprintf(
      text, sizeof text, "%08llx-%04llx-%04llx-%04llx-%012llx",
      static_cast<unsigned long long>(a >> 32), static_cast<unsigned long long>((a >> 16) & 0xFFFF),
      static_cast<unsigned long long>(a & 0xFFFF), static_cast<unsigned long long>(b >> 48),
      static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
  return text;
}

// FNV-1a, 64 bits, from the given offset basis.
uint64_t Fnv1a(std::string_view bytes, uint64_t basis) {
  for (unsigned char c : bytes) basis = (basis ^ c) * 0x100000001B3ull;
  return basis;
}

}  // namespace

std::string NewSeriesId() {
  static std::mt19937_64 rng{std::random_device{}()};
  const uint64_t hi = rng(), lo = rng();
  return UuidText(hi, lo, 4);
}

std::string ContentSeriesId(const TSeries& series) {
  TSeries bare = series;
  bare.Id.clear();
  const std::string line = WriteSeriesLine(bare);
  // Version 8: made by the program's own rule, never taken for a random one.
  return UuidText(Fnv1a(line, 0xCBF29CE484222325ull), Fnv1a(line, 0x84222325CBF29CE4ull), 8);
}

std::vector<TSeriesLine> ReadSeriesLines(const TLineList& list) {
  std::vector<TSeriesLine> out;
  TSeries series;
  for (size_t i = 0; i < list.Count(); ++i)
    if (ParseSeriesLine(list.Lines()[i], series) == TSeriesLineKind::Series)
      out.push_back({i, std::move(series)});
  return out;
}

std::optional<TSeriesLine> FindSeriesLine(const TLineList& list, std::string_view id) {
  TSeries series;
  for (size_t i = 0; i < list.Count(); ++i)
    if (ParseSeriesLine(list.Lines()[i], series) == TSeriesLineKind::Series && series.Id == id)
      return TSeriesLine{i, std::move(series)};
  return std::nullopt;
}

TSeries SeriesBefore(const TSeries& series, JuliusDay day, const THolidayTest& holidays) {
  TSeries before = series;
  TRecurrence& r = before.Rule;
  const JuliusDay end = std::min(TOccurrences(series.Rule, holidays).End(), day - 1);
  r.Until = std::max(end, kFirstSeriesDay);
  r.Count.reset();
  std::erase_if(r.Exceptions, [&](JuliusDay z) { return z >= day; });
  return before;
}

std::optional<TSeries> SeriesFrom(const TSeries& series, JuliusDay day,
                                  const THolidayTest& holidays) {
  const TOccurrences all(series.Rule, holidays);
  const std::optional<JuliusDay> first = all.NextCandidate(day);
  if (!first) return std::nullopt;
  TSeries rest = series;
  rest.Id.clear();
  TRecurrence& r = rest.Rule;
  // The first candidate is a day of the bare rule, so counting weeks, months and years from it
  // keeps the days of the rule.
  r.Start = *first;
  if (r.Count) *r.Count -= all.CandidatesBefore(*first);
  std::erase_if(r.Exceptions, [&](JuliusDay z) { return z < *first; });
  return rest;
}

bool HasCandidateBefore(const TSeries& series, JuliusDay day, const THolidayTest& holidays) {
  const TOccurrences all(series.Rule, holidays);
  return day > series.Rule.Start && all.NextCandidate(series.Rule.Start, day - 1).has_value();
}

}  // namespace moriva
