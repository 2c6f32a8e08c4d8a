#pragma once
// Helpers shared by the tests of the send and receive roads (unit and integration): a
// program folder of its own with mail settings, and the texts the fakes recorded.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/IniFile.h"
#include "handset/MailServerAddress.h"
#include "handset/ReceiveFromHandset.h"
#include "handset/SendToHandset.h"
#include "schedule/ScheduleFile.h"
#include "settings/MailSettings.h"
#include "tests/oracle/OracleTool.h"
#include "tests/support/FakeDialogs.h"

namespace moriva::mailroad {

// A private program folder (ExeDir) with a settings file, fake dialogs and status panels, and
// a context that hands them to a road.
struct TRoadFolder {
  oracle::TempDir dir;
  TFakeDialogs dialogs;
  TFakeStatusSink status;
  THandsetContext context{dialogs, dir.Path()};

  TRoadFolder() { context.Status = &status; }

  std::filesystem::path SettingsFile() const { return SettingsFilePath(dir.Path()); }
  std::filesystem::path UidlFile() const { return dir.Path() / kUidlFileName; }
  std::filesystem::path Incoming() const { return dir.Path() / kIncomingFolder; }

  void WriteSettings(const TMailSettings& settings) const {
    WriteMailSettings(SettingsFile(), settings);
  }
  void SetSubjectWord(const std::string& word) const {
    WriteProfileString(kMailSection, "prestr", word, SettingsFile());
  }
};

// Settings that reach `port` on 127.0.0.1 for both servers.
inline TMailSettings LocalSettings(int smtpPort, int popPort, const std::string& user,
                                   const std::string& password) {
  TMailSettings s;
  s.HandsetEMail = "phone@example.jp";
  s.SMTP = "127.0.0.1:" + std::to_string(smtpPort);
  s.SenderMail = "hanako@example.jp";
  s.POP = "127.0.0.1:" + std::to_string(popPort);
  s.UserId = user;
  s.Password = password;
  s.PopSecurity = "none";  // the scripted and test servers speak plain text
  return s;
}

// A port on 127.0.0.1 where nothing listens: connections to it are refused.
inline int RefusingPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

// The texts of every error box, in order.
inline std::vector<std::string> ErrorTexts(const TFakeDialogs& dialogs) {
  std::vector<std::string> out;
  for (const TFakeDialogs::Call& c : dialogs.Calls)
    if (c.What == TFakeDialogs::Kind::Message && c.Icon == TMsgIcon::Error) out.push_back(c.Text);
  return out;
}

}  // namespace moriva::mailroad
