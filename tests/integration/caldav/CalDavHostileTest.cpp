// Servers that lose what they are sent, forge the sync's record, list for ever or answer too
// much (tools/caldav-hostile.py): every run ends within a minute, in bounded memory, and
// changes nothing it did not report. A mass deletion on a real server asks first too.
#include <gmock/gmock.h>
#include <sys/resource.h>

#include <chrono>

#include "base/FileIO.h"
#include "caldav/CalDavSyncAction.h"
#include "schedule/ScheduleFile.h"
#include "settings/CalDavSettings.h"
#include "tests/integration/caldav/CalDavPeer.h"
#include "tests/support/FakeDialogs.h"

namespace moriva::caldavtest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMeasuresMemory = false;  // the sanitizer's shadow and quarantine count too
#else
constexpr bool kMeasuresMemory = true;
#endif

std::vector<std::string> Items(int n) {
  std::vector<std::string> out;
  for (int i = 1; i <= n; ++i) out.push_back(Item(2026, 12, i, "Item" + std::to_string(i)));
  return out;
}

class HostileServerTest : public CalDavTest {
 protected:
  void SetUp() override {
    settings_ = {testing::LoadServerState(MORIVA_CALDAV_HOSTILE_STATE).Values.at("URL") + "/cal/",
                 "", "", ""};
  }
  std::string Hostile(const std::string& command, const std::string& arg = "") {
    return oracle::RunTool(std::string(MORIVA_CALDAV_HOSTILE_TOOL) + " " + command + " " +
                           MORIVA_CALDAV_HOSTILE_STATE + " " + oracle::ShellQuote(arg));
  }
  void Mode(const std::string& mode) {
    Hostile("mode", mode);
    Hostile("counts");
  }
  // One sync as CalDavTest::Sync, given up (as cancelled) after a minute.
  TCalDavSyncResult BoundedSync(TLineList& list,
                                std::function<bool(const TCalDavMassDeletion&)> allow = {}) {
    TCalDavSyncInput in = SyncInput(settings_, StateFile());
    in.AllowMassDeletion = std::move(allow);
    THttpClient http;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    http.CancelRequested = [deadline] { return std::chrono::steady_clock::now() > deadline; };
    return SyncCalDav(http, in, list);
  }
  std::string State() {
    return std::filesystem::exists(StateFile()) ? ReadFileBytes(StateFile()) : "";
  }
};

TEST_F(HostileServerTest, ValuesTheStateCannotHoldEndTheRunUnchanged) {
  for (const char* mode : {"bad-href", "bad-etag", "bad-uid", "bad-token", "long-href"}) {
    SCOPED_TRACE(mode);
    Mode(mode);
    std::filesystem::remove(StateFile());
    TLineList list{Item(2026, 12, 5, "Mine")};
    try {
      BoundedSync(list);
      ADD_FAILURE() << "the sync went through";
    } catch (const ECalDavError& e) {
      EXPECT_EQ(e.what(), kCalDavBadValueText);
    }
    EXPECT_EQ(list.Lines(), std::vector<std::string>{Item(2026, 12, 5, "Mine")});
    EXPECT_EQ(State(), "");
    EXPECT_THAT(Hostile("counts"), Not(HasSubstr("PUT")));
  }
}

TEST_F(HostileServerTest, ListingsWithoutEndOrTooLargeEndTheRunUnchanged) {
  struct TCase {
    const char* Mode;
    std::string_view Error;
  };
  for (const TCase& c :
       {TCase{"endless", kCalDavEndlessListingText}, TCase{"huge-parts", kCalDavTooLargeText},
        TCase{"many-parts", kCalDavTooLargeText}, TCase{"big-events", kCalDavTooLargeText}}) {
    SCOPED_TRACE(c.Mode);
    Mode(c.Mode);
    std::filesystem::remove(StateFile());
    TLineList list{Item(2026, 12, 5, "Mine")};
    const auto start = std::chrono::steady_clock::now();
    try {
      BoundedSync(list);
      ADD_FAILURE() << "the sync went through";
    } catch (const ECalDavError& e) {
      EXPECT_EQ(e.what(), c.Error);
    } catch (const EHttpError& e) {
      ADD_FAILURE() << e.what() << (e.Cancelled ? ": still running after a minute" : "");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_EQ(list.Lines(), std::vector<std::string>{Item(2026, 12, 5, "Mine")});
    EXPECT_EQ(State(), "");
    const std::string counts = Hostile("counts");
    EXPECT_THAT(counts, Not(HasSubstr("PUT")));
    if (c.Mode == std::string_view("endless")) {
      EXPECT_THAT(counts, HasSubstr("REPORT 1000\n"));
    }
    if (kMeasuresMemory) {
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      EXPECT_LE(usage.ru_maxrss, 512 * 1024) << "peak KiB";
      RecordProperty(std::string(c.Mode) + "_peak_kib", std::to_string(usage.ru_maxrss));
    }
  }
}

// Two events repeating every minute: one run takes in its bound of lines, counts the rest as
// cut and says so; a cancel while the instances are made ends the run with nothing changed.
TEST_F(HostileServerTest, RepeatsBeyondOneRunsBoundAreCutAndSaid) {
  Mode("minutely");
  std::filesystem::remove(StateFile());
  TLineList list{Item(2026, 12, 5, "Mine")};
  const auto start = std::chrono::steady_clock::now();
  const TCalDavSyncResult r = BoundedSync(list);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  EXPECT_EQ(list.Count(), 1 + kMaxImportLines);
  EXPECT_EQ(r.Cut, 2 * 80000 - kMaxImportLines);
  EXPECT_THAT(CalDavDoneMessage(r), HasSubstr("60000 行は取り込みませんでした"));

  std::filesystem::remove(StateFile());
  TLineList again{Item(2026, 12, 5, "Mine")};
  TCalDavSyncInput in = SyncInput(settings_, StateFile());
  THttpClient http;
  size_t asked = 0;
  http.CancelRequested = [&] { return ++asked > 20; };  // past the listing, inside the events
  try {
    SyncCalDav(http, in, again);
    ADD_FAILURE() << "not cancelled";
  } catch (const EHttpError& e) {
    EXPECT_TRUE(e.Cancelled);
  }
  EXPECT_EQ(again.Lines(), std::vector<std::string>{Item(2026, 12, 5, "Mine")});
  EXPECT_EQ(State(), "");
}

// The server answers every PUT and keeps nothing: the next listing says every event is gone.
// The window asks (No: nothing changes; Yes: the deletion as reported); moriva-cli refuses
// unless told to go on.
TEST_F(HostileServerTest, AServerThatKeepsNothingCannotEmptyTheSchedule) {
  Mode("blackhole");
  const std::filesystem::path dir = dir_.Path(), mrv = dir / "s.mrv";
  std::string text;
  for (const std::string& line : Items(12)) text += line + "\r\n";
  WriteFileAtomically(mrv, text);
  TFakeDialogs dialogs;
  TScheduleModel master;
  TScheduleDocument doc(master, dialogs, dir);
  ASSERT_TRUE(doc.LoadScheduleFrom(mrv));
  TTransferContext context(dialogs, TProgramFolders{dir, dir});
  WriteCalDavSettings(SettingsFilePath(dir), settings_);
  const TICalZone zone("Asia/Tokyo");
  auto run = [&] {
    return SyncDocumentWithCalDav(doc, context, zone, DateToJulius(2026, 12, 1), 1796083200);
  };
  ASSERT_TRUE(run());
  EXPECT_EQ(Hostile("counts"), "PROPFIND 1\nPUT 12\nREPORT 1\n");
  const std::string state = ReadFileBytes(dir / "caldav.ini");

  auto cli = [&](const std::string& flag) {
    const std::string cmd = std::string(MORIVA_BINARY_DIR) + "/moriva-cli caldav-sync " +
                            oracle::ShellQuote(mrv.string()) + " --tz Asia/Tokyo --today " +
                            "2026-12-01 " + flag + " --dir " + oracle::ShellQuote(dir.string()) +
                            " >/dev/null 2>" + (dir / "err").string();
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(cli(""), 1);
  EXPECT_THAT(ReadFileBytes(dir / "err"),
              HasSubstr("予定表の予定 12 件のうち 12 件と，サーバーの予定 12 件のうち 0 件"));
  EXPECT_THAT(ReadFileBytes(dir / "err"), HasSubstr("--allow-mass-delete"));

  dialogs.Calls.clear();
  dialogs.AnswerNo();
  EXPECT_EQ(run(), std::nullopt);
  ASSERT_EQ(dialogs.Calls.size(), 3u);  // busy, the question, busy again
  EXPECT_THAT(dialogs.Calls[1].Text, HasSubstr("12 件のうち 12 件"));
  for (const std::filesystem::path& file : {mrv, dir / "caldav.ini"}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(ReadFileBytes(file), file == mrv ? text : state);
  }
  EXPECT_EQ(doc.List().Count(), 12u);
  EXPECT_EQ(Hostile("counts"), "PROPFIND 2\n");  // the command line's run and this one

  dialogs.AnswerYes();
  const std::optional<TCalDavSyncResult> r = run();
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Removed, 12u);
  EXPECT_EQ(ReadFileBytes(mrv), "");
}

// On a server that keeps its events, a schedule emptied by mistake would empty the calendar.
TEST_F(CalDavTest, DeletingMostOfTheScheduleAsksBeforeDeletingOnTheServer) {
  struct TCase {
    int Kept;
    bool Asks;
  };
  for (const TCase& c : {TCase{0, true}, TCase{1, true}, TCase{2, false}}) {
    SCOPED_TRACE(c.Kept);
    Open(false, "-" + std::to_string(c.Kept));
    TLineList list(Items(12));
    ASSERT_EQ(Sync(list).Sent, 12u);
    list.Assign(std::vector<std::string>(list.Lines().begin(), list.Lines().begin() + c.Kept));
    std::optional<TCalDavMassDeletion> asked;
    auto ask = [&](bool answer) {
      return [&asked, answer](const TCalDavMassDeletion& d) {
        asked = d;
        return answer;
      };
    };
    auto sync = [&](std::function<bool(const TCalDavMassDeletion&)> allow) {
      TCalDavSyncInput in = SyncInput(settings_, StateFile());
      in.AllowMassDeletion = std::move(allow);
      THttpClient http;
      return SyncCalDav(http, in, list);
    };
    if (c.Asks) {
      EXPECT_THROW(sync(ask(false)), ECalDavMassDeletion);
      EXPECT_EQ(asked, (TCalDavMassDeletion{0, size_t(c.Kept), size_t(12 - c.Kept), 12}));
      EXPECT_EQ(PhoneRows().size(), 12u);
    }
    asked.reset();
    EXPECT_EQ(sync(ask(true)).Removed, size_t(12 - c.Kept));
    EXPECT_EQ(asked.has_value(), c.Asks);
    EXPECT_EQ(PhoneRows().size(), size_t(c.Kept));
  }
}

}  // namespace
}  // namespace moriva::caldavtest
