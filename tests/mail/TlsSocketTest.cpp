// The TLS handshake waits like every other call of the socket: the window is served between
// slices, and the time-out and the cancel end it with the server named; a file of trusted
// certificates that cannot be read ends it before anything is sent.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "mail/ClientSocket.h"
#include "tests/mail/ScriptedServer.h"

namespace moriva {
namespace {

using ::testing::HasSubstr;

TEST(TlsSocketTest, AHandshakeThatCannotEndIsBoundedLiveAndNamed) {
  struct Case {
    const char* name;
    unsigned timeOut;
    int cancelAfter;  // pumps; 0: never
    const char* caFile;
    const char* reason;
  } cases[] = {
      {"time-out", 300, 0, "", "時間内にありません"},
      {"cancel", 60000, 3, "", "キャンセルされました"},
      {"unreadable CA file", 60000, 0, "/nonexistent/ca.pem",
       "証明書ファイル /nonexistent/ca.pem を読めません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TScriptedServer server;
    server.Silent().Start();
    TClientSocket socket;
    socket.Port = server.Port();
    socket.SetAddress("127.0.0.1");
    socket.TimeOut = c.timeOut;
    int pumps = 0;
    socket.ProcessMessages = [&] { ++pumps; };
    socket.IsCancelled = [&] { return c.cancelAfter && pumps >= c.cancelAfter; };
    socket.Open();
    try {
      socket.StartTls(c.caFile);
      ADD_FAILURE() << "handshake ended";
    } catch (const ETlsError& e) {
      EXPECT_THAT(e.what(), HasSubstr("127.0.0.1:" + std::to_string(server.Port())));
      EXPECT_THAT(e.what(), HasSubstr(c.reason));
    }
    if (*c.caFile == '\0') {
      EXPECT_GE(pumps, 2);  // served while waiting
    }
    EXPECT_FALSE(socket.Connected());
    EXPECT_FALSE(socket.Encrypted());
    server.Join();
  }
}

}  // namespace
}  // namespace moriva
