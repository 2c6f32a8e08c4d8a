// The INI reader: any bytes as "hs110.ini", read with names taken from the file itself, then a
// write in memory that must read back.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "base/IniFile.h"
#include "base/LineList.h"
#include "fuzz/FuzzSupport.h"

using namespace moriva;
namespace fs = std::filesystem;

namespace {

fs::path ScratchFile() {
  static const fs::path path = [] {
    fs::path dir = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    return dir / ("moriva-fuzz-ini-" + std::to_string(getpid()) + ".ini");
  }();
  return path;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text = fuzz::AsText(data, size);
  {
    std::ofstream out(ScratchFile(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  TIniFile ini(ScratchFile());

  // Every "[x]" and every "k=" of the file as names to ask for.
  std::vector<std::string> sections{"global"};
  std::vector<std::string> keys{"mrvfile"};
  for (const std::string& line : SplitLines(text)) {
    std::string_view t = Trimmed(line);
    if (t.size() > 1 && t.front() == '[') sections.emplace_back(t.substr(1, t.find(']') - 1));
    size_t eq = t.find('=');
    if (eq != std::string_view::npos) keys.emplace_back(Trimmed(t.substr(0, eq)));
    if (sections.size() + keys.size() > 64) break;
  }
  for (const std::string& s : sections)
    for (size_t k = 0; k < keys.size() && k < 8; ++k) {
      std::string v = ini.ReadString(s, keys[k], "  default  ");
      FUZZ_CHECK(v.size() <= 2047);
    }

  // A plain value written under a plain name reads back, whatever the file held before.
  ini.WriteString("fuzz", "key", "value 1");
  FUZZ_CHECK(ini.ReadString("FUZZ", "KEY", "") == "value 1");
  // Names and values from the file are stored without breaking the file's lines.
  if (sections.size() > 1 && keys.size() > 1 &&
      !(SameTextAscii(sections[1], "fuzz") && SameTextAscii(keys[1], "key"))) {
    ini.WriteString(sections[1], keys[1], text.substr(0, 64));
    FUZZ_CHECK(ini.ReadString("FUZZ", "KEY", "") == "value 1");
  }
  return 0;
}
