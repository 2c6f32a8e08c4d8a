// The CalDAV sync against a private Radicale (tools/radicale-server.sh): the first sync of a
// calendar of 10 000 events into an empty schedule beside a second sync in which nothing
// changed on either side (one listing request). Both run in one program, so their ratio holds
// for one machine at one load.
//
// The events reach the server in one request (a whole-calendar PUT on the collection): filling
// it event by event takes Radicale the better part of an hour, as each PUT looks through every
// event already there.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "BenchServer.h"
#include "base/FileIO.h"
#include "caldav/CalDavState.h"
#include "caldav/CalDavSync.h"
#include "calendar/Julius.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

constexpr int kEvents = 10000;

struct TFixture {
  fs::path dir;
  TCalDavSettings settings;
  TICalZone zone{"Asia/Tokyo"};

  TFixture() {
    dir = fs::temp_directory_path() / ("moriva-caldav-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const auto values = bench::StartServer("radicale-server.sh", dir / "radicale.state");
    settings = {values.at("URL") + "/user01/bench/", "user01", "secret01", ""};
    THttpClient http;
    http.SetCredentials(settings.User, settings.Password);
    std::string ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
    for (int i = 0; i < kEvents; ++i) {
      char event[256];
      std::snprintf(event, sizeof event,
                    "BEGIN:VEVENT\r\nUID:bench-%d\r\nDTSTAMP:20260101T000000Z\r\n"
                    "DTSTART:2027%02d%02dT%02d%02d00\r\nSUMMARY:Event %d\r\nEND:VEVENT\r\n",
                    i, i % 12 + 1, i % 28 + 1, i % 24, i % 60, i);
      ics += event;
    }
    ics += "END:VCALENDAR\r\n";
    const THttpResponse made = http.Send({"MKCALENDAR", settings.Url, {}, {}});
    const THttpResponse put =
        http.Send({"PUT", settings.Url, {"Content-Type: text/calendar; charset=utf-8"}, ics});
    if (made.Status / 100 != 2 || put.Status / 100 != 2)
      throw std::runtime_error("the calendar was not filled");
  }
  ~TFixture() {
    bench::StopServer("radicale-server.sh", dir / "radicale.state");
    fs::remove_all(dir);
  }

  TCalDavSyncResult Sync(TLineList& list, const fs::path& state) {
    TCalDavSyncInput in;
    in.Settings = settings;
    in.StateFile = state;
    in.ScheduleFile = "bench.mrv";
    in.Zone = &zone;
    in.Window = DefaultICalWindow(DateToJulius(2026, 12, 1));
    in.Stamp = 1796083200;
    THttpClient http;
    return SyncCalDav(http, in, list);
  }
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

void BM_FirstSync(benchmark::State& state) {
  TFixture& f = Fixture();
  const fs::path file = f.dir / "first.ini";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(file);
    TLineList list;
    state.ResumeTiming();
    const TCalDavSyncResult r = f.Sync(list, file);
    if (list.Count() != kEvents || r.Received != kEvents) state.SkipWithError("not all came in");
  }
}
BENCHMARK(BM_FirstSync)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NoChangeSync(benchmark::State& state) {
  TFixture& f = Fixture();
  const fs::path file = f.dir / "second.ini";
  fs::remove(file);
  TLineList list;
  f.Sync(list, file);
  for (auto _ : state) {
    const TCalDavSyncResult r = f.Sync(list, file);
    if (r != TCalDavSyncResult{}) state.SkipWithError("something changed");
  }
}
BENCHMARK(BM_NoChangeSync)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace moriva

BENCHMARK_MAIN();
