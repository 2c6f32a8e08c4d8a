// Mail codecs against the standard tools, side by side on the same data.
//
// Each workload has a data file, made once per run in a private temporary folder (so it sits in
// the page cache); our code reads the file and processes it, and the peer tool is started on the
// same file with its output thrown away. Both are timed by the wall clock, so compare the
// medians of "<workload>/ours" and "<workload>/<tool>" directly.
//
// Adding a workload: a data maker (or reuse one), a function for our side, and one row in
// kWorkloads.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "mail/CodecStreams.h"
#include "mail/JapaneseCodes.h"
#include "mail/MD5.h"

extern char** environ;

namespace {

using moriva::ReadFileBytes;

constexpr size_t kMiB = size_t{1} << 20;

// The private folder of this run; removed with its files when the program ends.
class DataDir {
 public:
  static DataDir& Get() {
    static DataDir dir;
    return dir;
  }
  ~DataDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }

  // Path of the data file `name`, written by `make` on first use.
  template <typename Make>
  const std::string& File(const std::string& name, Make make) {
    auto it = files_.find(name);
    if (it != files_.end()) return it->second;
    std::string path = (path_ / name).string();
    std::string bytes = make();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
    return files_.emplace(name, path).first->second;
  }

 private:
  DataDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "moriva-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  std::filesystem::path path_;
  std::map<std::string, std::string> files_;
};

// ---- Data -------------------------------------------------------------------------------------

// 64 MiB of bytes of every value (a linear congruential generator; the same every run).
const std::string& Binary64MiB() {
  return DataDir::Get().File("binary64.bin", [] {
    std::string s(64 * kMiB, '\0');
    uint32_t x = 12345;
    for (char& c : s) {
      x = x * 1664525u + 1013904223u;
      c = static_cast<char>(x >> 24);
    }
    return s;
  });
}

// 16 MiB of Shift-JIS text: schedule-like lines with kanji, kana, half-width kana, symbols and
// ASCII, in varying order, CR LF line ends.
const std::string& Japanese16MiB() {
  return DataDir::Get().File("japanese16.txt", [] {
    const char* const lines[] = {
        "今日の予定は定例会議です。資料を忘れずに持参してください。",
        "明日 10:00 から東京本社で打ち合わせ（第三会議室）",
        "ｶﾞｲﾄﾞﾌﾞｯｸ ﾊﾟﾝﾌﾚｯﾄ ｳﾞｧｲｵﾘﾝ教室 18:30～20:00",
        "価格～１０００円 ― 税込み ￥1,200 ※要予約 〒100-0001",
        "ひらがなとカタカナの混じった文章、そして English words.",
        "ＡＢＣ全角英数字１２３と半角 abc 123 の混在",
        "歯医者の予約：午後三時、診察券と保険証を持っていく",
    };
    std::string text;
    text.reserve(16 * kMiB + 256);
    uint32_t x = 1;
    while (text.size() < 16 * kMiB) {
      x = x * 1103515245u + 12345u;
      text += moriva::Utf8ToCp932(lines[(x >> 16) % std::size(lines)]);
      text += "\r\n";
    }
    return text;
  });
}

// The base64 text of Binary64MiB as coreutils writes it (76-character lines, LF ends), which
// both decoders accept.
const std::string& Base64Text64MiB() {
  return DataDir::Get().File("binary64.b64", [] {
    moriva::TMemoryStream sink;
    {
      moriva::TBase64EncodingStream encoder(sink);
      encoder.Write(ReadFileBytes(Binary64MiB()));
    }
    std::string text = sink.TakeBytes();
    std::string lf;
    lf.reserve(text.size());
    for (char c : text)
      if (c != '\r') lf += c;
    return lf + "\n";
  });
}

// CPU time (user + system) used so far by this process or by its waited-for children, in ms.
// On a busy machine the wall clock also counts time spent waiting for a core; the CPU time of
// both sides ("cpu_ms") compares the work alone.
double CpuMs(int who) {
  rusage u{};
  getrusage(who, &u);
  auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return ms(u.ru_utime) + ms(u.ru_stime);
}

void SetCpuCounter(benchmark::State& state, double ms) {
  state.counters["cpu_ms"] = benchmark::Counter(ms, benchmark::Counter::kAvgIterations);
}

// ---- Our side ---------------------------------------------------------------------------------

// Like the tool, MD5 reads the file in blocks into one buffer and feeds each block.
void Md5Ours(const std::string& path) {
  moriva::TMD5 md5;
  std::ifstream in(path, std::ios::binary);
  static char block[64 * 1024];
  while (in.read(block, sizeof block) || in.gcount() > 0)
    md5.Update(block, static_cast<size_t>(in.gcount()));
  benchmark::DoNotOptimize(md5.HexString());
}

// The conversion works on whole texts, so the file is read whole.
void SjisToJisOurs(const std::string& path) {
  benchmark::DoNotOptimize(moriva::ConvertJapaneseCode(ReadFileBytes(path), moriva::jcJis));
}

// Like the tool, the base64 streams read the file in blocks and write to a sink that keeps
// nothing, as the tool writes to /dev/null.
class NullStream : public moriva::TStream {
 public:
  size_t Read(void*, size_t) override { return 0; }
  size_t Write(const void*, size_t count) override { return count; }
  int64_t Seek(int64_t, moriva::TSeekOrigin) override { return 0; }
};

template <typename Codec>
void Base64Ours(const std::string& path) {
  NullStream sink;
  Codec codec(sink);
  std::ifstream in(path, std::ios::binary);
  static char block[64 * 1024];
  while (in.read(block, sizeof block) || in.gcount() > 0)
    codec.Write(block, static_cast<size_t>(in.gcount()));
}

// Runs our code on the workload's file, as the peer does.
void Ours(benchmark::State& state, const std::string& path, void (*work)(const std::string&)) {
  const size_t size = std::filesystem::file_size(path);
  const double cpu = CpuMs(RUSAGE_SELF);
  for (auto _ : state) work(path);
  SetCpuCounter(state, CpuMs(RUSAGE_SELF) - cpu);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// ---- The peer tool ----------------------------------------------------------------------------

// Runs "<command> <file> > /dev/null" through /bin/sh and waits for it.
void Peer(benchmark::State& state, const std::string& path, const std::string& command) {
  const std::string line = command + " '" + path + "' > /dev/null";
  const size_t size = std::filesystem::file_size(path);
  const double cpu = CpuMs(RUSAGE_CHILDREN);
  for (auto _ : state) {
    const char* argv[] = {"/bin/sh", "-c", line.c_str(), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
      state.SkipWithError("cannot start the peer");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the peer failed");
      break;
    }
  }
  SetCpuCounter(state, CpuMs(RUSAGE_CHILDREN) - cpu);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// ---- Workloads --------------------------------------------------------------------------------

struct Workload {
  const char* name;                  // benchmarks "<name>/ours" and "<name>/<tool>"
  const std::string& (*data)();      // the data file, made on first use
  void (*ours)(const std::string&);  // our code on the file's content
  const char* tool;                  // the peer's name in the report
  const char* command;               // the peer's command; the file is its last argument
};

const Workload kWorkloads[] = {
    {"md5_64MiB", Binary64MiB, Md5Ours, "md5sum", "md5sum"},
    {"sjis_to_jis_16MiB", Japanese16MiB, SjisToJisOurs, "nkf", "nkf -j"},
    {"base64_encode_64MiB", Binary64MiB, Base64Ours<moriva::TBase64EncodingStream>, "base64",
     "base64"},
    {"base64_decode_64MiB", Base64Text64MiB, Base64Ours<moriva::TBase64DecodingStream>, "base64",
     "base64 -d"},
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  for (const Workload& w : kWorkloads) {
    std::string name = w.name;
    benchmark::RegisterBenchmark((name + "/ours").c_str(),
                                 [&w](benchmark::State& st) { Ours(st, w.data(), w.ours); })
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + "/" + w.tool).c_str(),
                                 [&w](benchmark::State& st) { Peer(st, w.data(), w.command); })
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
