#pragma once
// Running the independent tools the oracle tests compare against: a private temporary folder
// for their input files, and a way to run a command and take its standard output.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace moriva::oracle {

// A folder only we can use (mkdtemp), removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "moriva-oracle-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // Writes `bytes` to the file `name` in the folder and returns its full path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

// Quotes `text` for /bin/sh.
inline std::string ShellQuote(std::string_view text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs `command` with /bin/sh and returns what it wrote to standard output. A command that
// cannot be started or exits with a failure fails the running test and throws.
inline std::string RunTool(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  std::string out;
  char chunk[65536];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, got);
  int status = pclose(pipe);
  if (status != 0) {
    ADD_FAILURE() << command << " exited with status " << status;
    throw std::runtime_error(command + " failed");
  }
  return out;
}

// Runs the Python program whose text is `program` with the one argument `arg`, and returns what
// it printed.
inline std::string RunPython(const TempDir& dir, std::string_view program, std::string_view arg) {
  const std::string script = dir.Write("program.py", program);
  return RunTool("/usr/bin/python3 " + ShellQuote(script) + " " + ShellQuote(arg));
}

// Runs `command` with `input` as its standard input (through a file in `dir`).
inline std::string RunWithInput(const TempDir& dir, const std::string& command,
                                std::string_view input) {
  std::string file = dir.Write("stdin.bin", input);
  return RunTool(command + " < " + ShellQuote(file));
}

}  // namespace moriva::oracle
