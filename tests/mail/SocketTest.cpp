#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "mail/ClientSocket.h"
#include "tests/mail/ScriptedServer.h"

namespace moriva {
namespace {

using testing::TScriptedServer;

TEST(IsDottedAddressTest, Table) {
  struct Case {
    const char* text;
    bool dotted;
  } cases[] = {
      {"10.0.0.1", true},       {"192.168.001.010", true},
      {"0.0.0.0", true},        {"255.255.255.255", true},
      {"1.2.3.256", false},     {"1.2.3", false},
      {"1.2.3.4.5", false},     {"192.168.1.x", false},
      {"mail.local", false},    {"", false},
      {"1..2.3", false},        {"1.2.3.", false},
      {"-1.2.3.4", false},      {" 1.2.3.4", false},
      {"00000001.2.3.4", true}, {"99999999999.1.1.1", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsDottedAddress(c.text), c.dotted);
  }
}

// Records the notifications in order.
struct Recorder {
  std::vector<std::string> events;
  void Attach(TClientSocket& s) {
    s.OnLookup = [this](TClientSocket&) { events.push_back("lookup"); };
    s.OnConnecting = [this](TClientSocket&) { events.push_back("connecting"); };
    s.OnConnect = [this](TClientSocket&) { events.push_back("connect"); };
    s.OnDisconnect = [this](TClientSocket&) { events.push_back("disconnect"); };
    s.OnError = [this](TClientSocket&, TErrorEvent e, int&) {
      events.push_back(e == TErrorEvent::eeSend ? "error send" : "error other");
    };
  }
};

TEST(ClientSocketTest, OpenByNameNotifiesAndSecondOpenDoesNothing) {
  TScriptedServer server;
  server.Send("hello\r\n").Start();
  TClientSocket socket;
  Recorder rec;
  rec.Attach(socket);
  socket.Port = server.Port();
  socket.SetHost("localhost");
  socket.Open();
  socket.Open();
  EXPECT_TRUE(socket.Connected());
  EXPECT_EQ(rec.events, (std::vector<std::string>{"lookup", "connecting", "connect"}));
  EXPECT_FALSE(socket.LocalHost().empty());
  char buf[1024];
  int n = socket.ReceiveBuf(buf, sizeof buf);
  EXPECT_EQ(std::string(buf, n), "hello\r\n");
  socket.Close();
  EXPECT_EQ(rec.events.back(), "disconnect");
  // A closed socket neither waits nor sends.
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(socket.ReceiveBuf(buf, sizeof buf), 0);
  EXPECT_EQ(socket.SendBuf("x", 1), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(20));
  EXPECT_TRUE(socket.LocalHost().empty());
}

TEST(ClientSocketTest, AddressSkipsLookupAndExchangesBytes) {
  TScriptedServer server;
  server.Expect().Send("got it\r\n").Close().Start();
  TClientSocket socket;
  Recorder rec;
  rec.Attach(socket);
  socket.Port = server.Port();
  socket.SetHost("ignored");
  socket.SetAddress("127.0.0.1");
  EXPECT_TRUE(socket.Host().empty());
  socket.Open();
  EXPECT_EQ(rec.events, (std::vector<std::string>{"connecting", "connect"}));
  EXPECT_EQ(socket.SendBuf("ping\r\n", 6), 6);
  char buf[1024];
  EXPECT_EQ(std::string(buf, socket.ReceiveBuf(buf, sizeof buf)), "got it\r\n");
  // The peer hangs up after its script: a receive gives 0, no error.
  EXPECT_EQ(socket.ReceiveBuf(buf, sizeof buf), 0);
  socket.Close();
  server.Join();
  EXPECT_EQ(server.Received(), std::vector<std::string>{"ping"});
}

// Every part of a dotted address is decimal, leading zeros or not: the connection reaches the
// listener on the address the digits name (the octal reading would give 127.0.0.8, or fail).
TEST(ClientSocketTest, DottedAddressPartsAreDecimal) {
  const std::pair<const char*, const char*> cases[] = {{"127.000.000.010", "127.0.0.10"},
                                                       {"127.0.0.09", "127.0.0.9"},
                                                       {"0127.0.0.011", "127.0.0.11"}};
  for (auto [given, listening] : cases) {
    SCOPED_TRACE(given);
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    ASSERT_EQ(inet_pton(AF_INET, listening, &addr.sin_addr), 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    TClientSocket socket;
    socket.Port = TScriptedServer::PortOf(fd);
    socket.TimeOut = 2000;
    socket.SetAddress(given);
    EXPECT_EQ(socket.Address(), listening);
    EXPECT_NO_THROW(socket.Open());
    EXPECT_TRUE(socket.Connected());
    socket.Close();
    ::close(fd);
  }
}

TEST(ClientSocketTest, RefusedConnectionRaisesConnectError) {
  int port;
  {
    TScriptedServer probe;  // a port that was free a moment ago and now has no listener
    port = probe.Port();
  }
  TClientSocket socket;
  Recorder rec;
  rec.Attach(socket);
  socket.Port = port;
  socket.SetAddress("127.0.0.1");
  try {
    socket.Open();
    FAIL() << "no error";
  } catch (const ESocketError& e) {
    std::string text = e.what();
    EXPECT_EQ(text.rfind("Windows ソケットエラー： ", 0), 0u) << text;
    EXPECT_NE(text.find(" (" + std::to_string(e.ErrorCode()) + ") [API 'connect']"),
              std::string::npos)
        << text;
  }
  EXPECT_FALSE(socket.Connected());
  EXPECT_EQ(std::find(rec.events.begin(), rec.events.end(), "connect"), rec.events.end());
}

TEST(ClientSocketTest, UnknownHostRaisesLookupErrorWithinTheTimeOut) {
  TClientSocket socket;
  Recorder rec;
  rec.Attach(socket);
  socket.TimeOut = 2000;
  socket.Port = 25;
  socket.SetHost("no-such-host.invalid");
  auto t0 = std::chrono::steady_clock::now();
  try {
    socket.Open();
    FAIL() << "no error";
  } catch (const ESocketError& e) {
    EXPECT_NE(std::string(e.what()).find("[API 'gethostbyname']"), std::string::npos) << e.what();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
  EXPECT_EQ(rec.events, std::vector<std::string>{"lookup"});
  EXPECT_FALSE(socket.Connected());
}

TEST(ClientSocketTest, SilentPeerTimesOutWhileMessagesAreProcessed) {
  TScriptedServer server;
  server.Silent().Start();
  TClientSocket socket;
  int processed = 0;
  socket.ProcessMessages = [&] { ++processed; };
  socket.TimeOut = 300;
  socket.Port = server.Port();
  socket.SetAddress("127.0.0.1");
  socket.Open();
  char buf[16];
  size_t got = 99;
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(socket.Receive(buf, sizeof buf, got), TIoResult::ioTimedOut);
  auto waited = std::chrono::steady_clock::now() - t0;
  EXPECT_EQ(got, 0u);
  EXPECT_GE(waited, std::chrono::milliseconds(290));
  EXPECT_LT(waited, std::chrono::milliseconds(1500));
  EXPECT_GE(processed, 4);  // about one call per 50 ms slice
  EXPECT_TRUE(socket.Connected());
}

TEST(ClientSocketTest, CancelEndsTheWait) {
  TScriptedServer server;
  server.Silent().Start();
  TClientSocket socket;
  int asked = 0;
  socket.IsCancelled = [&] { return ++asked >= 3; };
  socket.Port = server.Port();
  socket.SetAddress("127.0.0.1");
  socket.Open();
  char buf[16];
  size_t got = 0;
  EXPECT_EQ(socket.Receive(buf, sizeof buf, got), TIoResult::ioCancelled);
  EXPECT_EQ(asked, 3);
}

TEST(ClientSocketTest, SendFailureNotifiesClosesAndRaises) {
  for (bool swallow : {false, true}) {
    SCOPED_TRACE(swallow);
    TScriptedServer server;
    server.Close().Start();
    TClientSocket socket;
    Recorder rec;
    rec.Attach(socket);
    if (swallow) {
      socket.OnError = [&](TClientSocket&, TErrorEvent e, int& code) {
        rec.events.push_back(e == TErrorEvent::eeSend ? "error send" : "error other");
        code = 0;
      };
    }
    socket.Port = server.Port();
    socket.SetAddress("127.0.0.1");
    socket.Open();
    server.Join();
    std::string big(1 << 16, 'x');
    bool raised = false;
    try {
      // The first send may still be accepted; the reset shows on a later one.
      for (int i = 0; i < 50 && socket.Connected(); ++i) socket.SendBuf(big.data(), big.size());
    } catch (const ESocketError& e) {
      raised = true;
      EXPECT_NE(std::string(e.what()).find("[API 'send']"), std::string::npos);
    }
    EXPECT_EQ(raised, !swallow);
    EXPECT_FALSE(socket.Connected());
    ASSERT_GE(rec.events.size(), 2u);
    EXPECT_EQ(rec.events[rec.events.size() - 2], "error send");
    EXPECT_EQ(rec.events.back(), "disconnect");
  }
}

}  // namespace
}  // namespace moriva
