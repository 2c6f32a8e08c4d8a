#pragma once
// The send and receive roads against the fixture's servers: a mailbox of the private Dovecot
// that a test owns, a small stand-in for the handset, and Python's email package reading what
// aiosmtpd delivered.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/CommaText.h"
#include "base/FileIO.h"
#include "base/LineList.h"
#include "mail/EncodedWord.h"
#include "tests/integration/ServerState.h"
#include "tests/oracle/OracleTool.h"

namespace moriva::mailroad {

namespace fs = std::filesystem;

// Mailbox userNN of the fixture's Dovecot (password secretNN), emptied at the start; each test
// owns its own so that tests run side by side.
struct TDovecotBox {
  testing::TServerState server;
  std::string user, password;
  fs::path maildir;
  int next = 0;

  // `state`: the plain server, or the TLS one (testing::Pop3TlsServer()).
  explicit TDovecotBox(int n, testing::TServerState state = testing::Pop3Server())
      : server(std::move(state)) {
    const std::string nn = (n < 10 ? "0" : "") + std::to_string(n);
    user = "user" + nn;
    password = "secret" + nn;
    maildir = fs::path(server.Values.at("DIR")) / "mail" / user / "Maildir";
    for (const char* sub : {"new", "cur"})
      for (const auto& entry : fs::directory_iterator(maildir / sub)) fs::remove(entry.path());
  }

  // Delivers a mail (lines joined by LF, as a Maildir holds them) and returns its file name.
  std::string Put(const std::vector<std::string>& lines) {
    std::string name =
        std::to_string(1000000000 + ++next) + ".M" + std::to_string(getpid()) + "P1.moriva-test";
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    const fs::path file = maildir / "new" / name;
    WriteFileAtomically(file, text);
    // The server may run as another user; the mail must be its own to move and flag.
    struct stat owner {};
    if (::stat(maildir.c_str(), &owner) == 0)
      (void)::chown(file.c_str(), owner.st_uid, owner.st_gid);
    return name;
  }

  // Removes a delivered mail, wherever the server has moved it (new/ or cur/ with flags).
  void Remove(const std::string& name) {
    for (const char* sub : {"new", "cur"})
      for (const auto& entry : fs::directory_iterator(maildir / sub))
        if (entry.path().filename().string().rfind(name, 0) == 0) fs::remove(entry.path());
  }
};

// A mail as the handset writes it: subject, a short text part, and `csv` attached as `name`.
inline std::vector<std::string> HandsetMail(const std::string& subject, const std::string& name,
                                            const std::string& csv) {
  std::vector<std::string> lines = {"From: phone@example.jp",
                                    "To: hanako@example.jp",
                                    "Subject: " + subject,
                                    "MIME-Version: 1.0",
                                    "Content-Type: multipart/mixed; boundary=\"hs110\"",
                                    "",
                                    "--hs110",
                                    "Content-Type: text/plain",
                                    "",
                                    "schedule",
                                    "--hs110",
                                    "Content-Type: text/csv; name=\"" + name + "\"",
                                    "Content-Transfer-Encoding: base64",
                                    "Content-Disposition: attachment; filename=\"" + name + "\"",
                                    ""};
  const std::string b64 = Base64EncodeText(csv);
  for (size_t i = 0; i < b64.size(); i += 76) lines.push_back(b64.substr(i, 76));
  lines.push_back("--hs110--");
  return lines;
}

// The handset's answer to a "SCHEDULE.CSV" it received: the same items in its own column
// order (subject, place, date, time, alarm), every field quoted, alarm words in lower case,
// followed by `extraRows` (already in that form).
inline std::string HandsetCsv(const std::string& scheduleCsv,
                              const std::vector<std::string>& extraRows = {}) {
  TLineList in;
  in.SetText(scheduleCsv);
  std::string out = "\"subject\",\"place\",\"date\",\"time\",\"alarm\"\r\n";
  for (size_t i = 1; i < in.Count(); ++i) {
    const std::vector<std::string> f = SplitCommaText(in[i]);  // subject,date,time,alarm,place
    if (f.size() < 5) continue;
    const std::string alarm = f[3] == "TRUE" ? "true" : "false";
    out +=
        "\"" + f[0] + "\",\"" + f[4] + "\",\"" + f[1] + "\",\"" + f[2] + "\",\"" + alarm + "\"\r\n";
  }
  for (const std::string& row : extraRows) out += row + "\r\n";
  return out;
}

// What aiosmtpd delivered to `recipient`, read by Python's email package.
struct TDelivered {
  std::string Subject, Body, AttachmentName, Attachment, XMailer;
};

inline std::vector<TDelivered> DeliveredTo(
    const std::string& recipient, const testing::TServerState& smtp = testing::SmtpServer()) {
  oracle::TempDir work;
  const std::string script =
      "import email, email.policy, glob, os, sys\n"
      "n = 0\n"
      "for sub in ('new', 'cur'):\n"
      "  for path in sorted(glob.glob(os.path.join(sys.argv[1], sub, '*'))):\n"
      "    m = email.message_from_binary_file(open(path, 'rb'), policy=email.policy.default)\n"
      "    if m['X-RcptTo'] != sys.argv[2]: continue\n"
      "    a = next(m.iter_attachments())\n"
      "    body = m.get_body(('plain',)).get_content().strip()\n"
      "    out = os.path.join(sys.argv[3], str(n))\n"
      "    open(out + '.info', 'w').write('\\n'.join([m['Subject'], body, a.get_filename(),"
      " m['X-Mailer']]))\n"
      "    open(out + '.payload', 'wb').write(a.get_payload(decode=True))\n"
      "    n += 1\n";
  const std::string py = work.Write("read.py", script);
  oracle::RunTool("/usr/bin/python3 " + oracle::ShellQuote(py) + " " +
                  oracle::ShellQuote(smtp.Values.at("MAILDIR")) + " " +
                  oracle::ShellQuote(recipient) + " " + oracle::ShellQuote(work.Path().string()));
  std::vector<TDelivered> found;
  for (int i = 0; fs::exists(work.Path() / (std::to_string(i) + ".info")); ++i) {
    std::istringstream info(ReadFileBytes(work.Path() / (std::to_string(i) + ".info")));
    TDelivered d;
    std::getline(info, d.Subject);
    std::getline(info, d.Body);
    std::getline(info, d.AttachmentName);
    std::getline(info, d.XMailer);
    d.Attachment = ReadFileBytes(work.Path() / (std::to_string(i) + ".payload"));
    found.push_back(std::move(d));
  }
  return found;
}

}  // namespace moriva::mailroad
