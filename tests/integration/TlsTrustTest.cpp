// The trust a TLS connection is checked against is the one asked for at that moment, even
// though the program keeps its TLS set-up between connections: connections one after another in
// one process, with the private CA, another CA, none, and the same PEM file rewritten in place.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "base/FileIO.h"
#include "mail/ClientSocket.h"
#include "tests/integration/ServerState.h"
#include "tests/oracle/OracleTool.h"

namespace moriva {
namespace {

TEST(TlsTrustTest, EachConnectionTrustsExactlyTheCertificatesNamedForIt) {
  const testing::TServerState pop = testing::Pop3TlsServer();
  const std::string trusted = ReadFileBytes(testing::TlsFile("ca.pem"));
  const std::string other = ReadFileBytes(testing::TlsFile("otherca.pem"));
  oracle::TempDir dir;
  const std::string rewritten = dir.Write("mine.pem", trusted);
  struct Step {
    const char* name;
    const std::string* content;  // written to `rewritten` first; null: left as it is
    std::string caFile;
    bool accepted;
  } steps[] = {
      {"private CA", nullptr, rewritten, true},
      {"private CA again", nullptr, rewritten, true},
      {"another CA", nullptr, testing::TlsFile("otherca.pem"), false},
      {"system store only", nullptr, "", false},
      {"same file, now another CA", &other, rewritten, false},
      {"same file, the private CA back", &trusted, rewritten, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    if (s.content) dir.Write("mine.pem", *s.content);
    TClientSocket socket;
    socket.Port = std::stoi(pop.Values.at("TLSPORT"));
    socket.SetAddress("127.0.0.1");
    socket.TimeOut = 10000;
    socket.Open();
    try {
      socket.StartTls(s.caFile);
      EXPECT_TRUE(s.accepted);
      EXPECT_TRUE(socket.Encrypted());
    } catch (const ETlsError& e) {
      EXPECT_FALSE(s.accepted) << e.what();
      EXPECT_THAT(e.what(), ::testing::HasSubstr("証明書の発行者が信頼されていません"));
    }
  }
}

}  // namespace
}  // namespace moriva
