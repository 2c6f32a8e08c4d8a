#pragma once
// Starting and stopping the private test servers (tools/dovecot-pop3.sh, tools/aiosmtpd-smtpd.sh)
// for the benchmarks that measure against a real peer. A script writes KEY=VALUE lines (PORT,
// DIR, ...) into its state file; those come back as a map.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

namespace moriva::bench {

// The source tree's tools folder, from the build's definition: __FILE__ is relative to the
// build folder with Ninja, so it would only work when the benchmark is started from there.
inline const std::filesystem::path kTools = std::filesystem::path(MORIVA_SOURCE_DIR) / "tools";

// Runs `script start state` and returns the values it wrote; throws when the server did not
// start.
// With `certs` (a folder made by MakeTlsCertificates) the server speaks TLS as well.
inline std::map<std::string, std::string> StartServer(const std::string& script,
                                                      const std::filesystem::path& state,
                                                      const std::filesystem::path& certs = {}) {
  std::string cmd = (kTools / script).string() + " start " + state.string();
  if (!certs.empty()) cmd += " " + certs.string();
  if (std::system(cmd.c_str()) != 0) throw std::runtime_error(script + ": server did not start");
  std::map<std::string, std::string> values;
  std::ifstream in(state);
  for (std::string line; std::getline(in, line);)
    if (size_t eq = line.find('='); eq != std::string::npos)
      values[line.substr(0, eq)] = line.substr(eq + 1);
  return values;
}

// A private CA and the servers' certificates in `dir` (tools/mail-tls-certs.sh); the CA is
// dir/ca.pem.
inline void MakeTlsCertificates(const std::filesystem::path& dir) {
  std::string cmd = (kTools / "mail-tls-certs.sh").string() + " " + dir.string();
  if (std::system(cmd.c_str()) != 0) throw std::runtime_error("certificates not made");
}

inline void StopServer(const std::string& script, const std::filesystem::path& state) {
  std::string cmd = (kTools / script).string() + " stop " + state.string();
  if (std::system(cmd.c_str()) != 0)
    std::fprintf(stderr, "%s: server did not stop\n", script.c_str());
}

}  // namespace moriva::bench
