// Two-way sync against Radicale, with Python's caldav package as the phone on the other side.
#include <gmock/gmock.h>
#include <sys/wait.h>

#include <cstdlib>

#include "base/FileIO.h"
#include "formats/ICalendarExport.h"
#include "formats/ICalendarImport.h"
#include "schedule/ScheduleFile.h"
#include "schedule/ScheduleModel.h"

#include "tests/integration/caldav/CalDavPeer.h"

namespace moriva::caldavtest {
namespace {

using ::testing::AllOf;
using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using ::testing::UnorderedElementsAre;

TEST_F(CalDavTest, FirstSyncOfAThousandItemsThenANoChangeSyncSendsOnlyTheListing) {
  TLineList list;
  std::vector<std::string> expected;
  for (int i = 0; i < 1000; ++i) {
    const int m = i % 12 + 1, d = i % 28 + 1, h = i % 24;
    list.Add(Utf8ToCp932(Item(2027, m, d, "予定 " + std::to_string(i), h, i % 60)));
    char start[32];
    snprintf(start, sizeof start, "2027%02d%02dT%02d%02d00|", m, d, h, i % 60);
    expected.push_back(start + ("予定 " + std::to_string(i)));
  }
  const std::vector<std::string> local = list.Lines();

  TCalDavSyncResult r = Sync(list);
  EXPECT_EQ(r.Sent, 1000u);
  EXPECT_FALSE(r.Changed);
  EXPECT_EQ(PhoneEvents(), Sorted(expected));

  for (int run = 0; run < 2; ++run) {
    size_t requests = 0;
    EXPECT_EQ(Sync(list, &requests), TCalDavSyncResult{});
    EXPECT_EQ(requests, 1u);
  }
  EXPECT_EQ(list.Lines(), local);
}

TEST_F(CalDavTest, ThePhoneAddsChangesAndDeletesAndTheScheduleFollows) {
  const std::string mine = Item(2026, 12, 5, "Mine");
  TLineList list{mine};
  Phone("add p1 20261210T120000 Lunch");
  Phone("add p2 20261212 Dentist");
  TCalDavSyncResult r = Sync(list);
  EXPECT_EQ(r.Received, 2u);
  EXPECT_EQ(r.Sent, 1u);
  EXPECT_THAT(list.Lines(), UnorderedElementsAre(mine, Item(2026, 12, 10, "Lunch", 12),
                                                 Item(2026, 12, 12, "Dentist", 0)));

  Phone("change p1 Supper 20261211T190000");
  Phone("delete p2");
  r = Sync(list);
  EXPECT_EQ(r.Received, 1u);
  EXPECT_EQ(r.Removed, 1u);
  EXPECT_EQ(r.Sent, 0u);
  EXPECT_THAT(list.Lines(), UnorderedElementsAre(mine, Item(2026, 12, 11, "Supper", 19)));
}

TEST_F(CalDavTest, MorivaAddsEditsAndDeletesAndThePhoneSeesIt) {
  TLineList list{Item(2026, 12, 1, "A"), Item(2026, 12, 2, "B"), Item(2026, 12, 5, "E"),
                 Item(2026, 12, 5, "F")};
  Sync(list);
  const std::map<std::string, std::string> before = PhoneUids();
  EXPECT_EQ(before.size(), 4u);

  // A edited on its day stays the same event. E and F, both edited on one day, could pair
  // either way round: they are deleted and sent anew.
  list.Put(0, Item(2026, 12, 1, "A edited", 9, 30));
  list.Delete(1);
  list.Put(1, Item(2026, 12, 5, "E edited"));
  list.Put(2, Item(2026, 12, 5, "F edited", 11));
  list.Add(Item(2026, 12, 4, "C"));
  const TCalDavSyncResult r = Sync(list);
  EXPECT_EQ(r.Sent, 4u);
  EXPECT_EQ(r.Removed, 3u);
  EXPECT_FALSE(r.Changed);
  EXPECT_THAT(PhoneEvents(), ElementsAre("20261201T093000|A edited", "20261204T100000|C",
                                         "20261205T100000|E edited", "20261205T110000|F edited"));
  const std::map<std::string, std::string> after = PhoneUids();
  EXPECT_EQ(after.at("A edited"), before.at("A"));
  for (const char* edited : {"E edited", "F edited"})
    EXPECT_THAT(after.at(edited), Not(AnyOf(before.at("E"), before.at("F"))));
  size_t requests = 0;
  EXPECT_EQ(Sync(list, &requests), TCalDavSyncResult{});
  EXPECT_EQ(requests, 1u);
}

TEST_F(CalDavTest, AnEventEditedHereKeepsWhatALineCannotSay) {
  auto line = [](int d, const char* subject, int h, int m, bool alarm) {
    return MakeScheduleLine(2026, 12, d, subject, "", std::to_string(h), std::to_string(m), alarm);
  };
  struct Case {
    const char* uid;
    const char* phoneAdds;
    std::string from, to;
    const char* shown;  // START|END|SUMMARY|DESCRIPTION|REMINDERS after the edit
  };
  const Case cases[] = {
      {"e1",
       "20261210T120000 Lunch - DTEND:20261210T130000 'DESCRIPTION:Bring the papers' "
       "BEGIN:VALARM ACTION:DISPLAY TRIGGER:-PT15M DESCRIPTION:Lunch END:VALARM",
       line(10, "Lunch", 12, 0, true), line(10, "Lunch moved", 13, 30, true),
       "20261210T133000|20261210T143000|Lunch moved|Bring the papers|-15"},
      {"e2", "20261212 Birthday - 'DTEND;VALUE=DATE:20261213'", line(12, "Birthday", 0, 0, false),
       line(12, "Birthday party", 0, 0, false), "20261212|20261213|Birthday party||"},
      {"e3",
       "20261214T090000 Call - BEGIN:VALARM ACTION:DISPLAY TRIGGER:-PT1H DESCRIPTION:Call "
       "END:VALARM",
       line(14, "Call", 9, 0, true), line(14, "Call back", 9, 0, false),
       "20261214T090000||Call back||"},
      // A series of one day in the window is no single item: deleted and sent anew.
      {"e4", "20261216T080000 Once 'FREQ=WEEKLY;COUNT=1;BYMONTH=12'", line(16, "Once", 8, 0, false),
       line(16, "Once more", 8, 0, false), nullptr},
  };
  for (const Case& c : cases) Phone(std::string("add ") + c.uid + " " + c.phoneAdds);
  TLineList list;
  Sync(list);
  for (const Case& c : cases) {
    const auto at = std::find(list.Lines().begin(), list.Lines().end(), c.from);
    ASSERT_NE(at, list.Lines().end()) << c.from;
    list.Put(at - list.Lines().begin(), c.to);
  }
  const TCalDavSyncResult r = Sync(list);
  EXPECT_EQ(r.Sent, 4u);
  EXPECT_EQ(r.Removed, 1u);
  const std::map<std::string, std::string> uids = PhoneUids();
  EXPECT_EQ(uids.size(), 4u);
  EXPECT_NE(uids.at("Once more"), "e4");
  for (const Case& c : cases) {
    if (!c.shown) continue;
    SCOPED_TRACE(c.uid);
    EXPECT_EQ(Phone(std::string("show ") + c.uid), std::string(c.shown) + "\n");
  }
}

// A birthday from a phone's .ics file, through the schedule file, out to another .ics and to the
// server: the phone reads back what it wrote, after an edit here too.
TEST_F(CalDavTest, CharactersBeyondShiftJisReachThePhoneAsTheyCame) {
  const std::string subject = "🎂 誕生日", place = "🏠";
  TLineList imported;
  MergeICalendar(
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:b1\r\n"
      "DTSTART:20261210T100000\r\nSUMMARY:" +
          subject + "\r\nLOCATION:" + place + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
      imported, TICalZone("Asia/Tokyo"), DefaultICalWindow(DateToJulius(2026, 12, 1)));
  const std::filesystem::path file = dir_.Path() / "schedule.mrv";
  SaveScheduleFile(file, imported);
  TLineList list;
  LoadScheduleFile(file, list);
  ASSERT_EQ(list, imported);
  const std::string ics = BuildICalendar(list, TICalZone("Asia/Tokyo"), 0).Text;
  EXPECT_THAT(ics, HasSubstr("\r\nSUMMARY:" + subject + "\r\n"));
  EXPECT_THAT(ics, HasSubstr("\r\nLOCATION:" + place + "\r\n"));

  Sync(list);
  EXPECT_THAT(PhoneEvents(), ElementsAre("20261210T100000|" + subject));
  EXPECT_EQ(Phone("place " + PhoneUid(subject)), place + "\n");
  list.Put(0, Utf8ToCp932("2026,2026,12,10,,,\"" + subject + "- " + place + "- 11:0:0- FALSE\""));
  Sync(list);
  EXPECT_THAT(PhoneEvents(), ElementsAre("20261210T110000|" + subject));
  EXPECT_EQ(Phone("place " + PhoneUid(subject)), place + "\n");
}

TEST_F(CalDavTest, AnItemChangedOnBothSidesIsKeptTwice) {
  // The phone changes the item before the sync, or while the edit made here is on its way
  // (after the listing: the edit's If-Match then fails).
  for (const bool meanwhile : {false, true}) {
    SCOPED_TRACE(meanwhile ? "changed during the sync" : "changed before it");
    Open(false, meanwhile ? "-meanwhile" : "");
    TLineList list{Item(2026, 12, 1, "Meeting")};
    Sync(list);
    const std::string change = "change " + PhoneUid("Meeting") + " Meeting-phone";
    if (!meanwhile) Phone(change);
    list.Put(0, Item(2026, 12, 1, "Meeting-desk", 11));
    TCalDavSyncResult r = Sync(list, nullptr, [&](size_t n) {
      if (meanwhile && n == 1) Phone(change);
    });
    if (meanwhile) {
      EXPECT_EQ(r.Sent, 1u);  // the edited line, as a new event
      r = Sync(list);         // and the phone's version comes in now
    }
    EXPECT_EQ(r.Conflicts, 1u);
    EXPECT_THAT(list.Lines(), UnorderedElementsAre(Item(2026, 12, 1, "Meeting-desk", 11),
                                                   Item(2026, 12, 1, "Meeting-phone")));
    EXPECT_THAT(PhoneEvents(),
                ElementsAre("20261201T100000|Meeting-phone", "20261201T110000|Meeting-desk"));
    EXPECT_THAT(CalDavDoneMessage(r), HasSubstr("競合 1 件"));
    size_t requests = 0;
    EXPECT_EQ(Sync(list, &requests), TCalDavSyncResult{});
    EXPECT_EQ(requests, 1u);
  }
}

TEST_F(CalDavTest, AWeeklyEventFromThePhoneArrivesAsOneSeries) {
  Phone("add w1 20261201T090000 Weekly 'FREQ=WEEKLY;COUNT=5'");
  TLineList list;
  EXPECT_EQ(Sync(list).Received, 1u);
  EXPECT_EQ(list.Lines(), std::vector<std::string>{"repeat;id=w1;start=20261201;every=1w;on=tu;"
                                                   "count=5,\"Weekly- - 9:0:0- FALSE\""});

  // A day taken out here changes the phone's own event.
  list.Put(0,
           "repeat;id=w1;start=20261201;every=1w;on=tu;count=5;except=20261215,"
           "\"Weekly- - 9:0:0- FALSE\"");
  EXPECT_EQ(Sync(list).Sent, 1u);
  EXPECT_EQ(PhoneRows(), std::vector<std::string>{"w1|20261201T090000|Weekly"});
  EXPECT_EQ(Phone("rule w1"), "FREQ=WEEKLY;COUNT=5;BYDAY=TU|20261215\n");

  Phone("delete w1");
  const TCalDavSyncResult r = Sync(list);
  EXPECT_EQ(r.Removed, 1u);
  EXPECT_TRUE(list.Empty());
}

// A series made here is one event whose UID is its identity; each kind of change made here
// reaches the phone as a change of that event (and a new one for the rest of a cut series).
TEST_F(CalDavTest, EachChangeOfASeriesHereReachesThePhone) {
  const TSeries weekly{"s1",
                       {.Start = DateToJulius(2026, 12, 8),
                        .Unit = TRepeatUnit::Week,
                        .Weekdays = WeekdayBit(3),
                        .Count = 5},
                       "Meeting- - 10:0:0- FALSE"};
  struct Case {
    const char* name;
    std::function<void(TScheduleModel&)> change;
    size_t sent, removed;
    std::vector<std::string> rows;  // the phone's events after
    const char* rule;               // RRULE|EXDATEs of s1 after, or null when it is gone
  };
  const Case cases[] = {
      {"this day only",
       [](TScheduleModel& m) { m.TakeOutDay("s1", DateToJulius(2026, 12, 15)); },
       1,
       0,
       {"s1|20261208T100000|Meeting"},
       "FREQ=WEEKLY;COUNT=5;BYDAY=TU|20261215"},
      {"from this day on",
       [&](TScheduleModel& m) {
         const JuliusDay day = DateToJulius(2026, 12, 22);
         m.EndSeriesFrom("s1", day, SeriesFrom(weekly, day, NoHolidays()));
       },
       2,
       0,
       {"s1|20261208T100000|Meeting", "s2|20261222T100000|Meeting"},
       "FREQ=WEEKLY;UNTIL=20261221T145959Z;BYDAY=TU|"},
      {"all",
       [&](TScheduleModel& m) {
         TSeries changed = weekly;
         changed.Text = "Meeting moved- - 11:0:0- FALSE";
         m.ChangeSeries("s1", changed);
       },
       1,
       0,
       {"s1|20261208T110000|Meeting moved"},
       "FREQ=WEEKLY;COUNT=5;BYDAY=TU|"},
      {"delete", [](TScheduleModel& m) { m.DeleteSeries("s1"); }, 0, 1, {}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(false, "-" + std::to_string(&c - cases));
    TScheduleModel model;
    model.MakeSeriesId = [] { return std::string("s2"); };
    model.AddSeries(weekly);
    EXPECT_EQ(Sync(model.Lines()).Sent, 1u);
    EXPECT_EQ(PhoneRows(), std::vector<std::string>{"s1|20261208T100000|Meeting"});
    c.change(model);
    const TCalDavSyncResult r = Sync(model.Lines());
    EXPECT_EQ(r.Sent, c.sent);
    EXPECT_EQ(r.Removed, c.removed);
    EXPECT_EQ(PhoneRows(), c.rows);
    if (c.rule) EXPECT_EQ(Phone("rule s1"), std::string(c.rule) + "\n");
    size_t requests = 0;
    EXPECT_EQ(Sync(model.Lines(), &requests), TCalDavSyncResult{});
    EXPECT_EQ(requests, 1u);
  }
}

TEST_F(CalDavTest, ASeriesChangedOnBothSidesIsKeptTwice) {
  const std::string before =
      "repeat;id=w1;start=20261201;every=1w;on=tu,\"Weekly- - 9:0:0- FALSE\"";
  Phone("add w1 20261201T090000 Weekly 'FREQ=WEEKLY'");
  TLineList list;
  Sync(list);
  ASSERT_EQ(list.Lines(), std::vector<std::string>{before});
  Phone("change w1 Weekly-phone");
  list.Put(0,
           "repeat;id=w1;start=20261201;every=1w;on=tu;except=20261208,\"Weekly- - 9:0:0- FALSE\"");
  const TCalDavSyncResult r = Sync(list);
  EXPECT_EQ(r.Conflicts, 1u);
  EXPECT_EQ(r.Sent, 1u);
  // The version made here goes up under a new identity.
  EXPECT_THAT(list.Lines(),
              UnorderedElementsAre(
                  "repeat;id=w1;start=20261201;every=1w;on=tu,\"Weekly-phone- - 9:0:0- FALSE\"",
                  AllOf(Not(StartsWith("repeat;id=w1;")),
                        EndsWith(";start=20261201;every=1w;on=tu;except=20261208,"
                                 "\"Weekly- - 9:0:0- FALSE\""))));
  EXPECT_THAT(PhoneEvents(), ElementsAre("20261201T090000|Weekly", "20261201T090000|Weekly-phone"));
  size_t requests = 0;
  EXPECT_EQ(Sync(list, &requests), TCalDavSyncResult{});
  EXPECT_EQ(requests, 1u);
}

TEST_F(CalDavTest, RefusalsSayWhyAndChangeNothing) {
  struct Case {
    const char* name;
    std::function<void(TCalDavSettings&)> change;
    bool tls;
    const char* message;
  };
  const Case cases[] = {
      {"wrong password", [](TCalDavSettings& s) { s.Password = "wrong"; }, false,
       "ログインできませんでした"},
      {"unknown collection",
       [this](TCalDavSettings& s) { s.Url = server_.Values.at("URL") + "/user01/nosuch/"; }, false,
       "カレンダーが見つかりません"},
      {"no URL", [](TCalDavSettings& s) { s.Url.clear(); }, false, "CalDAV の設定をしてください"},
      {"certificate from another CA",
       [](TCalDavSettings& s) { s.CaFile = std::string(MORIVA_TLS_DIR) + "/otherca.pem"; }, true,
       "証明書の発行者が信頼されていません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string suffix = "-" + std::to_string(&c - cases);
    Open(c.tls, suffix);
    Phone("add p1 20261210T120000 Lunch");
    c.change(settings_);
    TLineList list{Item(2026, 12, 1, "Mine")};
    const TLineList before = list;
    try {
      Sync(list);
      ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.message));
    }
    EXPECT_EQ(list, before);
    EXPECT_FALSE(std::filesystem::exists(StateFile()));
    Open(c.tls, suffix, false);  // the same collection, with the right settings again
    EXPECT_EQ(PhoneEvents(), std::vector<std::string>{"20261210T120000|Lunch"});
  }
}

TEST_F(CalDavTest, OverTlsWithThePrivateCa) {
  Open(true, "-tls");
  Phone("add p1 20261210T120000 Lunch");
  TLineList list{Item(2026, 12, 1, "Mine")};
  const TCalDavSyncResult r = Sync(list);
  EXPECT_EQ(r.Sent, 1u);
  EXPECT_EQ(r.Received, 1u);
  EXPECT_EQ(PhoneEvents(),
            (std::vector<std::string>{"20261201T100000|Mine", "20261210T120000|Lunch"}));
}

TEST_F(CalDavTest, CommandLineSavesTheScheduleAndExitsOneOnARefusal) {
  Phone("add p1 20261210T120000 Lunch");
  const std::filesystem::path dir = dir_.Path(), mrv = dir / "s.mrv";
  const std::string mine = Item(2026, 12, 1, "Mine");
  WriteFileAtomically(mrv, mine + "\r\n");
  auto cli = [&](const std::string& args) {
    const std::string cmd = std::string(MORIVA_BINARY_DIR) + "/moriva-cli " + args + " --dir " +
                            oracle::ShellQuote(dir.string()) + " >" + (dir / "out").string() +
                            " 2>" + (dir / "err").string();
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  ASSERT_EQ(cli("config caldav.url " + oracle::ShellQuote(settings_.Url)), 0);
  ASSERT_EQ(cli("config caldav.user user01"), 0);
  ASSERT_EQ(cli("config caldav.password secret01"), 0);
  const std::string sync =
      "caldav-sync " + oracle::ShellQuote(mrv.string()) + " --tz Asia/Tokyo --today 2026-12-01";
  EXPECT_EQ(cli(sync), 0);
  EXPECT_THAT(ReadFileBytes(dir / "out"), HasSubstr("送信 1 件，受信 1 件"));
  EXPECT_EQ(ReadFileBytes(mrv), mine + "\r\n" + Item(2026, 12, 10, "Lunch", 12) + "\r\n");

  // Refused without touching the URL kept: the sync below still reaches the server.
  EXPECT_EQ(cli("config caldav.url " + settings_.Url.substr(settings_.Url.find("://") + 3)), 2);
  ASSERT_EQ(cli("config caldav.password wrong"), 0);
  EXPECT_EQ(cli(sync), 1);
  EXPECT_THAT(ReadFileBytes(dir / "err"), HasSubstr("ログインできませんでした"));
}

}  // namespace
}  // namespace moriva::caldavtest
