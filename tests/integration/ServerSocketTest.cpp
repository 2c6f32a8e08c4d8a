#include <gtest/gtest.h>

#include <string>

#include "mail/ClientSocket.h"
#include "mail/LineReader.h"
#include "tests/integration/ServerState.h"

namespace moriva {
namespace {

// A connection to a fixture server with a line-wise dialogue.
struct Dialogue {
  TClientSocket socket;
  TLineReader reader{socket};
  explicit Dialogue(int port) {
    socket.TimeOut = 5000;
    socket.Port = port;
    socket.SetAddress("127.0.0.1");
    socket.Open();
  }
  std::string Line() {
    std::string line;
    EXPECT_EQ(reader.ReadLine(line), TLineResult::lrLine);
    return line;
  }
  std::string Ask(const std::string& command) {
    EXPECT_EQ(socket.Send(command + "\r\n"), TIoResult::ioOk);
    return Line();
  }
};

TEST(ServerSocketTest, Pop3GreetingAndLogin) {
  Dialogue d(testing::Pop3Server().Port);
  std::string greeting = d.Line();
  EXPECT_EQ(greeting.rfind("+OK", 0), 0u) << greeting;
  EXPECT_NE(greeting.find('<'), std::string::npos) << "an APOP time stamp: " << greeting;
  EXPECT_EQ(d.Ask("USER user16").rfind("+OK", 0), 0u);
  EXPECT_EQ(d.Ask("PASS secret16").rfind("+OK", 0), 0u);
  EXPECT_EQ(d.Ask("LAST").rfind("-ERR", 0), 0u);  // the server does not know LAST
  EXPECT_EQ(d.Ask("QUIT").rfind("+OK", 0), 0u);
  std::string line;
  EXPECT_EQ(d.reader.ReadLine(line), TLineResult::lrClosed);
}

TEST(ServerSocketTest, SmtpGreetingHeloAndQuit) {
  Dialogue d(testing::SmtpServer().Port);
  EXPECT_EQ(d.Line().rfind("220 ", 0), 0u);
  EXPECT_EQ(d.Ask("HELO [127.0.0.1]").rfind("250 ", 0), 0u);
  EXPECT_EQ(d.Ask("VRFY someone@example.com").rfind("252 ", 0), 0u);
  EXPECT_EQ(d.Ask("QUIT").rfind("221 ", 0), 0u);
}

}  // namespace
}  // namespace moriva
