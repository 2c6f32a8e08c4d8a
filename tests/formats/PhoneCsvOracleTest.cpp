// Python's csv module, reading code page 932, must read the exported file back to the same
// fields: the handset is not the only reader of "SCHEDULE.CSV".
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/Cp932.h"
#include "calendar/Julius.h"
#include "formats/PhoneCsv.h"
#include "schedule/ScheduleLine.h"

namespace fs = std::filesystem;
using namespace moriva;
using Rows = std::vector<std::vector<std::string>>;

namespace {

constexpr const char* kPython = "/usr/bin/python3";

// Each row as its fields' CP932 bytes in hex, joined by '|'.
constexpr const char* kReader = R"(import csv, sys
with open(sys.argv[1], newline='', encoding='cp932') as f:
    for row in csv.reader(f):
        print('|'.join(field.encode('cp932').hex() for field in row))
)";

std::string FromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

Rows ReadWithPython(const fs::path& script, const fs::path& csv) {
  std::string command = std::string(kPython) + " '" + script.string() + "' '" + csv.string() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {};
  std::string output;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) output.append(buf, n);
  EXPECT_EQ(pclose(pipe), 0);
  Rows rows;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields;
    std::istringstream parts(line);
    for (std::string hex; std::getline(parts, hex, '|');) fields.push_back(FromHex(hex));
    if (!line.empty() && line.back() == '|') fields.emplace_back();
    if (line.empty()) fields.emplace_back();
    rows.push_back(fields);
  }
  return rows;
}

}  // namespace

TEST(PhoneCsvOracle, PythonCsvReadsTheSameFields) {
  if (access(kPython, X_OK) != 0) GTEST_SKIP() << "no " << kPython;
  fs::path dir = fs::temp_directory_path() / ("moriva_csv_oracle_" + std::to_string(getpid()));
  fs::create_directories(dir);

  struct Item {
    std::string subject, place, hour, minute;
    bool alarm;
  } items[] = {
      {Utf8ToCp932("会議"), Utf8ToCp932("会議室"), "9", "30", true},
      {"Team meeting", "A, B", "10", "0", false},
      {" leading and trailing ", "", "0", "0", true},
      {"tab\there", "semi;colon", "23", "55", false},
      {Utf8ToCp932("ソフト表示、予定"), Utf8ToCp932("ｱﾗｰﾑ ｵﾝ"), "12", "5", true},
      {"comma,", ",", "1", "1", false},
  };
  TLineList store;
  Rows expected{{Utf8ToCp932("件名"), Utf8ToCp932("開始日"), Utf8ToCp932("開始時刻"),
                 Utf8ToCp932("ｱﾗｰﾑ ｵﾝ/ｵﾌ"), Utf8ToCp932("場所")}};
  for (const Item& it : items) {
    store.Add(MakeScheduleLine(2030, 7, 1, it.subject, it.place, it.hour, it.minute, it.alarm));
    expected.push_back({it.subject, "2030/7/1", it.hour + ":" + it.minute + ":0",
                        AlarmFlagText(it.alarm), it.place});
  }
  // A quote in a subject comes only from a line that holds it doubled twice over.
  store.Add("2030,2030,7,2,,,\"Say \"\"\"\"hi\"\"\"\"- p- 1:0:0- FALSE\"");
  expected.push_back({"Say \"hi\"", "2030/7/2", "1:0:0", "FALSE", "p"});

  fs::path csv = dir / "SCHEDULE.CSV";
  SavePhoneCsv(csv, BuildPhoneCsv(store, DateToJulius(2026, 12, 6)));
  fs::path script = dir / "read_csv.py";
  std::ofstream(script) << kReader;
  EXPECT_EQ(ReadWithPython(script, csv), expected);
  fs::remove_all(dir);
}
