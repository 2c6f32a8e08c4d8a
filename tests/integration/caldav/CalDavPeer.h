#pragma once
// A calendar of its own on the fixture's Radicale for every test, the phone that shares it
// (Python's caldav package, tools/caldav-phone.py) and Moriva's sync over it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/Cp932.h"
#include "base/LineList.h"
#include "caldav/CalDavState.h"
#include "caldav/CalDavSync.h"
#include "schedule/ScheduleLine.h"
#include "tests/integration/ServerState.h"
#include "tests/oracle/OracleTool.h"

namespace moriva::caldavtest {

inline testing::TServerState Radicale(bool tls = false) {
  return testing::LoadServerState(tls ? MORIVA_RADICALE_TLS_STATE : MORIVA_RADICALE_STATE);
}

// An item as the phone's floating times come in: the wall-clock time as it stands.
inline std::string Item(int y, int m, int d, const std::string& subject, int hour = 10,
                        int minute = 0) {
  return MakeScheduleLine(y, m, d, subject, "", std::to_string(hour), std::to_string(minute),
                          false);
}

inline std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// A sync's input as the window and moriva-cli make it (Asia/Tokyo, today 2026-12-01).
inline TCalDavSyncInput SyncInput(const TCalDavSettings& settings,
                                  const std::filesystem::path& stateFile) {
  static const TICalZone zone("Asia/Tokyo");
  TCalDavSyncInput in;
  in.Settings = settings;
  in.StateFile = stateFile;
  in.ScheduleFile = "schedule.mrv";
  in.Zone = &zone;
  in.Window = DefaultICalWindow(DateToJulius(2026, 12, 1));
  in.Stamp = 1796083200;
  return in;
}

class CalDavTest : public ::testing::Test {
 protected:
  // The collection /user01/<test name><suffix>/ on the plain server or on the TLS one, made
  // afresh when `make`.
  void Open(bool tls = false, const std::string& suffix = "", bool make = true) {
    server_ = Radicale(tls);
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return std::isalnum(c) ? std::tolower(c) : '-'; });
    settings_ = {server_.Values.at("URL") + "/user01/" + name + suffix + "/", "user01", "secret01",
                 tls ? std::string(MORIVA_TLS_DIR) + "/ca.pem" : ""};
    if (make) Phone("mkcalendar");
  }
  void SetUp() override { Open(); }

  // Runs the phone on the test's collection; its standard output.
  std::string Phone(const std::string& args) {
    std::string cmd = std::string(MORIVA_CALDAV_PHONE) + " " + oracle::ShellQuote(settings_.Url) +
                      " user01 secret01 ";
    if (!settings_.CaFile.empty()) cmd += "--cafile " + oracle::ShellQuote(settings_.CaFile) + " ";
    return oracle::RunTool(cmd + args);
  }
  // The phone's events as "UID|START|SUMMARY", sorted.
  std::vector<std::string> PhoneRows() {
    std::vector<std::string> out;
    for (std::string& row : SplitLines(Phone("list")))
      if (!row.empty()) out.push_back(std::move(row));
    return out;
  }
  // The phone's events as "START|SUMMARY", sorted (the UIDs are the writers' business).
  std::vector<std::string> PhoneEvents() {
    std::vector<std::string> out;
    for (const std::string& row : PhoneRows()) out.push_back(row.substr(row.find('|') + 1));
    return Sorted(out);
  }
  // The phone's UIDs by summary.
  std::map<std::string, std::string> PhoneUids() {
    std::map<std::string, std::string> out;
    for (const std::string& row : PhoneRows())
      out[row.substr(row.rfind('|') + 1)] = row.substr(0, row.find('|'));
    return out;
  }
  std::string PhoneUid(const std::string& summary) {
    const std::map<std::string, std::string> uids = PhoneUids();
    if (auto it = uids.find(summary); it != uids.end()) return it->second;
    ADD_FAILURE() << "the phone has no event " << summary;
    return {};
  }

  // One sync of `list` as the window and moriva-cli run it (Asia/Tokyo, today 2026-12-01);
  // `requests` gets the number of requests sent.
  TCalDavSyncResult Sync(TLineList& list, size_t* requests = nullptr,
                         std::function<void(size_t)> afterExchange = {},
                         std::function<void(const TLineList&)> save = {}) {
    TCalDavSyncInput in = SyncInput(settings_, StateFile());
    in.SaveSchedule = std::move(save);
    THttpClient http;
    http.AfterExchange = std::move(afterExchange);
    const size_t before = http.RequestCount();
    TCalDavSyncResult r = SyncCalDav(http, in, list);
    if (requests) *requests = http.RequestCount() - before;
    return r;
  }
  std::filesystem::path StateFile() const { return dir_.Path() / "caldav.ini"; }

  testing::TServerState server_;
  TCalDavSettings settings_;
  oracle::TempDir dir_;
};

}  // namespace moriva::caldavtest
