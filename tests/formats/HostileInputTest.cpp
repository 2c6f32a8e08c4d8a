// Exchange files that are huge or named beyond what the file system takes. A big handset file
// merges in time proportional to its records and counts every record it cannot read; a target
// whose name is too long fails with one clear message and nothing is lost or left behind.
// bench/hostile_bench.cpp merges a file of 1 000 000 records. Hostile iCalendar files are
// refused or bounded, each read in a child process under a time and memory limit.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <fstream>
#include <iostream>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "formats/CsvMerge.h"
#include "formats/FileMenuActions.h"
#include "formats/ICalendarImport.h"
#include "schedule/ScheduleDocument.h"
#include "tests/oracle/OracleTool.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(HostileCsv, ManyRecordsMergeInProportionalTimeAndUnreadableOnesAreCounted) {
  constexpr size_t kRecords = 100000;
  std::vector<std::string> csv = {Utf8ToCp932("件名,開始日,開始時刻,アラーム")};
  csv.reserve(kRecords + 1);
  size_t unreadable = 0, repeated = 0;
  for (size_t i = 0; i < kRecords; ++i) {
    if (i % 10 == 9) {
      csv.push_back(i % 20 == 9 ? "\"two\",fields" : "\"no date\",2030,9:00,TRUE");
      ++unreadable;
    } else if (i % 10 == 5) {
      csv.push_back(csv[csv.size() - 2]);  // the same record once more, in other letter case
      for (char& c : csv.back()) c = AsciiLower(c);
      ++repeated;
    } else {
      csv.push_back("\"Rec " + std::to_string(i) + "\",2030/" + std::to_string(1 + i % 12) + "/" +
                    std::to_string(1 + i % 28) + ",9:00,TRUE");
    }
  }
  TLineList list;
  const auto start = std::chrono::steady_clock::now();
  const TMergeResult r = MergeCsvLines(TLineList(std::move(csv)), list);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(r.Skipped, unreadable);
  EXPECT_EQ(r.Duplicates, repeated);
  EXPECT_EQ(r.Added, kRecords - unreadable - repeated);
  EXPECT_EQ(list.Count(), r.Added);
  EXPECT_EQ(MergeCompletionMessage(r), "同期完了しました。\r\n読み取れないレコード " +
                                           std::to_string(unreadable) + " 件を読み飛ばしました。");
}

TEST(HostileCsv, ARecordThatNeverEndsIsOneRecord) {
  // No line after the first starts a record, so all of them continue it.
  std::vector<std::string> csv = {"header", "\"Long\",2030/5/3,9:00,TRUE"};
  for (int i = 0; i < 200000; ++i) csv.push_back("x");
  TLineList list;
  const auto start = std::chrono::steady_clock::now();
  const TMergeResult r = MergeCsvLines(TLineList(std::move(csv)), list);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  // Its fields fall out of place, so it is one unreadable record, not 200 000.
  EXPECT_EQ(r.Skipped, 1u);
  EXPECT_EQ(list.Count(), 0u);
}

// The schedule, CSV and XML targets named by the user: a name of 255 bytes is written, a
// longer one gives the usual error box and loses nothing.
class LongTargetNameTest : public ::testing::Test {
 protected:
  void SetUp() override { list_.Assign(Lines{kItem}); }

  fs::path Named(size_t bytes, std::string_view ext) const {
    return dir_.Path() / (std::string(bytes - ext.size(), 'n') + std::string(ext));
  }

  const std::string kItem = "2030,2030,5,3,,,\"Meeting- Room- 9:30:0- TRUE\"";
  oracle::TempDir dir_;
  TScheduleModel schedule_;
  TLineList& list_ = schedule_.Lines();
  TFakeDialogs dialogs_;
  TScheduleDocument doc_{schedule_, dialogs_, dir_.Path()};
};

TEST_F(LongTargetNameTest, EachTargetFailsClearlyWhenTooLong) {
  struct Case {
    const char* name;
    std::string_view ext;
    std::function<void()> act;
  } cases[] = {
      {"schedule", ".mrv", [&] { doc_.SaveScheduleExecute(); }},
      {"CSV", ".csv",
       [&] {
         dialogs_.AnswerYes();
         CsvOutExecute(doc_, DateToJulius(2030, 1, 1));
       }},
      {"XML", ".xml", [&] { XmlOutExecute(doc_); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (size_t bytes : {size_t{NAME_MAX}, size_t{300}}) {
      SCOPED_TRACE(bytes);
      const fs::path target = Named(bytes, c.ext);
      dialogs_.Calls.clear();
      doc_.Modified = true;
      dialogs_.AnswerFile(target);
      c.act();
      EXPECT_EQ(list_, TLineList{kItem});
      if (bytes <= NAME_MAX) {
        EXPECT_TRUE(dialogs_.MessageTexts().empty());
        EXPECT_NE(ReadFileBytes(target).find("Meeting"), std::string::npos);
        fs::remove(target);
        continue;
      }
      EXPECT_EQ(dialogs_.MessageTexts(),
                Lines{"ファイル " + target.string() + " を作成できません"});
      // The schedule is still unsaved, so closing will ask again.
      if (c.ext == ".mrv") {
        EXPECT_TRUE(doc_.Modified);
      }
      EXPECT_TRUE(fs::is_empty(dir_.Path()));
    }
  }
}

std::string Calendar(const std::string& inside) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:test\r\n" + inside + "END:VCALENDAR\r\n";
}
std::string Event(const std::string& body, int uid = 0) {
  return "BEGIN:VEVENT\r\nUID:" + std::to_string(uid) + "\r\nDTSTART:20260101T000000Z\r\n" + body +
         "END:VEVENT\r\n";
}
std::string Repeat(const std::string& s, size_t n) {
  std::string out;
  out.reserve(s.size() * n);
  for (size_t i = 0; i < n; ++i) out += s;
  return out;
}
// A zone of +09:00 whose one part repeats by `rule` from `start`; its RRULE is line 10.
std::string Zone(const std::string& rule, const std::string& start = "19700101T000000") {
  return "BEGIN:VTIMEZONE\r\nTZID:Z\r\nBEGIN:STANDARD\r\nDTSTART:" + start +
         "\r\nTZOFFSETFROM:+0900\r\nTZOFFSETTO:+0900\r\nRRULE:" + rule +
         "\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n" +
         "BEGIN:VEVENT\r\nUID:z\r\nDTSTART;TZID=Z:20260101T090000\r\nEND:VEVENT\r\n";
}
std::string MinutelyEvents(int count) {
  std::string events;
  for (int i = 0; i < count; ++i)
    events += Event("RRULE:FREQ=MINUTELY\r\nSUMMARY:m" + std::to_string(i) + "\r\n", i);
  return Calendar(events);
}

// AddressSanitizer keeps freed memory aside and maps shadow memory, so the size limit is
// checked in the plain build only.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

size_t ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE)) >> 20;
}

// Runs `check` in a child process, killed after `limit`: a crash, a hang or a runaway
// allocation fails the case instead of the whole test program.
struct TChildOutcome {
  bool passed = false;  // ended in time and `check` held
  double seconds = 0;
  size_t grownMiB = 0;  // the child's peak resident size beyond what it started with
};
TChildOutcome RunInChild(const std::function<bool()>& check, std::chrono::seconds limit) {
  const size_t startMiB = ResidentMiB();
  const auto start = std::chrono::steady_clock::now();
  std::cout.flush();
  const pid_t pid = fork();
  if (pid == 0) _exit(check() ? 0 : 1);
  int status = 0;
  rusage use{};
  bool late = false;
  while (wait4(pid, &status, WNOHANG, &use) != pid) {
    if (!late && std::chrono::steady_clock::now() - start > limit) {
      late = true;
      kill(pid, SIGKILL);
    }
    usleep(10000);
  }
  TChildOutcome out;
  out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  out.passed = !late && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  const size_t peakMiB = static_cast<size_t>(use.ru_maxrss) >> 10;
  out.grownMiB = peakMiB > startMiB ? peakMiB - startMiB : 0;
  return out;
}

TEST(HostileICalendar, IsRefusedOrBoundedInTimeAndMemory) {
  struct Case {
    const char* name;
    std::string ics;
    std::string refusal;  // what() of the refusal; empty when the file is read
    size_t added = 0;
    bool bounded = false;  // lines were left out and rules cut short
    int seconds = 60;
  } cases[] = {
      {"300 000 nested components", Calendar(Repeat("BEGIN:X\r\n", 300000)),
       "67 行目: BEGIN の入れ子が深すぎます"},
      {"nested inside an event", Calendar(Event(Repeat("BEGIN:X\r\n", 300000))),
       "69 行目: BEGIN の入れ子が深すぎます"},
      {"64 levels are read",
       Calendar(Repeat("BEGIN:X\r\n", 63) + Repeat("END:X\r\n", 63) + Event("")), "", 1},
      {"zone rule of every minute", Calendar(Zone("FREQ=MINUTELY")),
       "10 行目: タイムゾーンの規則が1日より細かい単位で繰り返しています"},
      {"zone rule of every second", Calendar(Zone("FREQ=SECONDLY;INTERVAL=3600")),
       "10 行目: タイムゾーンの規則が1日より細かい単位で繰り返しています"},
      {"zone rule of every hour", Calendar(Zone("FREQ=HOURLY", "20250101T000000")),
       "10 行目: タイムゾーンの規則が1日より細かい単位で繰り返しています"},
      {"daily zone rule", Calendar(Zone("FREQ=DAILY")),
       "10 行目: タイムゾーンの切り替わりが多すぎます"},
      {"yearly zone rule from 1601", Calendar(Zone("FREQ=YEARLY", "16010101T000000")), "", 1},
      {"10 MB SUMMARY", Calendar(Event("SUMMARY:" + std::string(10 << 20, 'a') + "\r\n")), "", 1,
       false, 20},
      {"200 events of every minute", MinutelyEvents(200), "", kMaxImportLines, true},
      {"300 rules in one event",
       Calendar(Event(Repeat("RRULE:FREQ=MINUTELY\r\nRRULE:FREQ=HOURLY\r\n", 150))), "",
       kMaxImportLines, true},
  };
  const TICalZone utc("UTC");
  const TICalWindow window = DefaultICalWindow(DateToJulius(2026, 6, 1));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TChildOutcome run = RunInChild(
        [&] {
          TLineList list;
          try {
            const TICalMergeResult r = MergeICalendar(c.ics, list, utc, window);
            std::cerr << c.name << ": added " << r.Added << ", left out " << r.LeftOut << '\n';
            return c.refusal.empty() && r.Added == c.added && (r.LeftOut > 0) == c.bounded &&
                   r.RulesCut == c.bounded;
          } catch (const EICalendarError& e) {
            std::cerr << c.name << ": " << e.what() << '\n';
            return e.what() == c.refusal && list.Empty();
          }
        },
        std::chrono::seconds(c.seconds));
    EXPECT_TRUE(run.passed) << run.seconds << " s";
    if (!kSanitized) EXPECT_LE(run.grownMiB, 512u);
  }
}

// A sync reads many documents with one budget: the lines of all of them count together, and a
// repeating event keeps its earliest instances.
TEST(HostileICalendar, OneBudgetServesSeveralDocuments) {
  const TICalZone utc("UTC");
  const TICalWindow window{DateToJulius(2026, 1, 1), DateToJulius(2026, 1, 31)};
  TICalBudget budget;
  budget.LinesLeft = 3;
  std::vector<std::string> lines;
  auto read = [&](const std::string& ics) {
    TICalComponent root = ParseICalendar(ics);
    CollectICalendarLines(
        root.get(), utc, window,
        [&](TICalEventLines& ev) { lines.insert(lines.end(), ev.Lines.begin(), ev.Lines.end()); },
        &budget);
  };
  read(Calendar(Event("SUMMARY:one\r\n")));
  read(Calendar(Event("RRULE:FREQ=DAILY;COUNT=5;BYMONTH=1\r\nSUMMARY:daily\r\n") +
                Event("SUMMARY:late\r\n")));
  EXPECT_EQ(lines, (std::vector<std::string>{"2026,2026,1,1,,,\"one- - 0:0:0- FALSE\"",
                                             "2026,2026,1,1,,,\"daily- - 0:0:0- FALSE\"",
                                             "2026,2026,1,2,,,\"daily- - 0:0:0- FALSE\""}));
  EXPECT_EQ(budget.LeftOut, 4u);
  EXPECT_EQ(budget.LinesLeft, 0u);
}

// A cancel is answered within a second however long the rules would still take, and the
// schedule stays as it was.
TEST(HostileICalendar, ACancelIsAnsweredPromptlyAndChangesNothing) {
  const std::string ics = MinutelyEvents(200);
  TLineList list{"2026,2026,1,1,,,\"kept- - 9:0:0- FALSE\""};
  const TLineList before = list;
  const auto start = std::chrono::steady_clock::now();
  std::optional<std::chrono::steady_clock::time_point> asked;
  auto cancel = [&] {
    if (!asked && std::chrono::steady_clock::now() - start > std::chrono::milliseconds(100))
      asked = std::chrono::steady_clock::now();
    return asked.has_value();
  };
  TICalBudget budget;
  budget.CancelRequested = cancel;
  EXPECT_THROW(MergeICalendar(ics, list, TICalZone("UTC"),
                              DefaultICalWindow(DateToJulius(2026, 6, 1)), budget),
               EICalendarCancelled);
  ASSERT_TRUE(asked);
  EXPECT_LT(std::chrono::steady_clock::now() - *asked, std::chrono::seconds(1));
  EXPECT_EQ(list, before);
}

}  // namespace
}  // namespace moriva
