#pragma once
// Where the test servers started by the CTest fixtures listen and keep their files.
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

namespace moriva::testing {

struct TServerState {
  int Port = 0;
  std::map<std::string, std::string> Values;  // every NAME=value line of the state file
};

inline TServerState LoadServerState(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("no server state in " + path + " (start the fixture)");
  TServerState state;
  std::string line;
  while (std::getline(in, line)) {
    size_t eq = line.find('=');
    if (eq != std::string::npos) state.Values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  if (auto port = state.Values.find("PORT"); port != state.Values.end())
    state.Port = std::stoi(port->second);
  return state;
}

inline TServerState Pop3Server() {
  return LoadServerState(MORIVA_POP3_STATE);
}
inline TServerState SmtpServer() {
  return LoadServerState(MORIVA_SMTP_STATE);
}
// The TLS twins (see tests/integration/CMakeLists.txt); the CA the tests trust is
// TlsFile("ca.pem").
inline TServerState Pop3TlsServer() {
  return LoadServerState(MORIVA_POP3_TLS_STATE);
}
inline TServerState SmtpTlsServer() {
  return LoadServerState(MORIVA_SMTP_TLS_STATE);
}
// The address of the private session bus with an unlocked keyring on it.
inline std::string KeyringBus() {
  return LoadServerState(MORIVA_KEYRING_STATE).Values.at("ADDRESS");
}
inline std::string TlsFile(const std::string& name) {
  return std::string(MORIVA_TLS_DIR) + "/" + name;
}

}  // namespace moriva::testing
