#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "mail/MailMessage.h"
#include "mail/SmtpClient.h"
#include "tests/integration/ServerState.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The delivered files (aiosmtpd's Maildir) that hold `needle`.
std::vector<fs::path> Delivered(const std::string& maildir, const std::string& needle) {
  std::vector<fs::path> found;
  for (const char* sub : {"new", "cur"}) {
    fs::path dir = fs::path(maildir) / sub;
    if (!fs::exists(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir))
      if (ReadAll(entry.path()).find(needle) != std::string::npos) found.push_back(entry.path());
  }
  return found;
}

// The first attachment of a delivered mail as Python's email package reads it: its file
// name on the first line of `out`, its bytes in `out`.payload.
bool ExtractWithPython(const fs::path& mail, const fs::path& out) {
  std::string script =
      "import email, email.policy, sys\n"
      "m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=email.policy.default)\n"
      "a = next(m.iter_attachments())\n"
      "open(sys.argv[2], 'w').write(a.get_filename() + '\\n' + m['X-RcptTo'] + '\\n')\n"
      "open(sys.argv[2] + '.payload', 'wb').write(a.get_payload(decode=True))\n";
  fs::path py = out.string() + ".py";
  std::ofstream(py) << script;
  std::string cmd =
      "/usr/bin/python3 '" + py.string() + "' '" + mail.string() + "' '" + out.string() + "'";
  return std::system(cmd.c_str()) == 0;
}

TEST(SmtpDeliveryTest, MessageWithToCcAndBccArrivesOncePerGroupWithItsAttachment) {
  testing::TServerState server = testing::SmtpServer();
  fs::path work = fs::temp_directory_path() / ("moriva-smtp-test-" + std::to_string(getpid()));
  fs::create_directories(work);
  std::string csv =
      Utf8ToCp932("2026,12,7,,,\"会議- 本社- 10:30:0- TRUE\"\r\n") + std::string("\x00\xff", 2);
  WriteFileAtomically(work / "SCHEDULE.CSV", csv);

  TMailMessage msg;
  msg.From = "hanako@example.jp";
  msg.UserName = Utf8ToCp932("山田 花子");
  msg.SendTo = "to1@example.jp";
  msg.CC = "cc1@example.jp, \"Jiro\" <CC2@example.jp>";
  msg.BCC = "bcc@example.jp";
  msg.Subject = Utf8ToCp932("予定");
  msg.Text.Assign(std::vector<std::string>{Utf8ToCp932("本文です。"), ".leading dot", "."});
  msg.AttachedFiles.Add((work / "SCHEDULE.CSV").string());

  TSmtpClient smtp;
  smtp.Host = "127.0.0.1";
  smtp.Port = std::to_string(server.Port);
  smtp.TimeOut = 5000;
  std::vector<std::string> errors;
  smtp.OnError = [&](const void*, int code, const std::string& text) {
    errors.push_back(std::to_string(code) + " " + text);
  };
  smtp.Connect();
  ASSERT_FALSE(smtp.ErrorFlag());
  EXPECT_TRUE(smtp.Send(msg));
  smtp.Quit();
  EXPECT_TRUE(errors.empty()) << errors.front();

  // The Message-Id makes this run's deliveries findable among all others.
  std::string id_line = msg.RawMail[0];
  ASSERT_EQ(id_line.rfind("Message-Id: <VEX.", 0), 0u) << id_line;
  std::string id = id_line.substr(std::string("Message-Id: ").size());
  std::vector<fs::path> mails = Delivered(server.Values.at("MAILDIR"), id);
  ASSERT_EQ(mails.size(), 3u);

  std::vector<std::string> recipients;
  for (const fs::path& mail : mails) {
    SCOPED_TRACE(mail.string());
    std::string text = ReadAll(mail);
    // The server adds the envelope as X-RcptTo; BCC must appear nowhere else.
    std::string headers = text.substr(0, text.find("\n\n"));
    size_t rcpt_line = headers.find("X-RcptTo: ");
    ASSERT_NE(rcpt_line, std::string::npos);
    headers.erase(rcpt_line, headers.find('\n', rcpt_line) - rcpt_line);
    EXPECT_EQ(headers.find("bcc@"), std::string::npos);
    // Lines with a leading dot survive the end-of-data convention unchanged.
    EXPECT_NE(text.find("\n.leading dot\n.\n"), std::string::npos);
    fs::path out = work / mail.filename();
    ASSERT_TRUE(ExtractWithPython(mail, out));
    std::istringstream info(ReadAll(out));
    std::string name, rcpt;
    std::getline(info, name);
    std::getline(info, rcpt);
    EXPECT_EQ(name, "SCHEDULE.CSV");
    EXPECT_EQ(ReadAll(out.string() + ".payload"), csv);
    recipients.push_back(rcpt);
  }
  std::sort(recipients.begin(), recipients.end());
  EXPECT_EQ(recipients, (std::vector<std::string>{
                            "bcc@example.jp", "cc1@example.jp, cc2@example.jp", "to1@example.jp"}));
  fs::remove_all(work);
}

}  // namespace
}  // namespace moriva
