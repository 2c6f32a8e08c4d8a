#pragma once
// POP3 dialogues of the receive road for a scripted server: the steps one at a time, or the
// whole dialogue the road holds with a mailbox, which a test may play to the end or cut off
// after any command.
#include <cstddef>
#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/Cp932.h"
#include "mail/EncodedWord.h"
#include "mail/JapaneseCodes.h"
#include "tests/handset/HandsetTransferTestTools.h"
#include "tests/mail/ScriptedServer.h"

namespace moriva::mailroad {

inline const std::string kHandsetCsv = Utf8ToCp932(
    "件名,場所,日付,時刻,アラーム\r\n\"会議\",\"本社\",\"2030/1/5\",\"10:30\",\"true\"\r\n");

inline std::string HeaderLines(const std::string& subject) {
  return "From: phone@example.jp\r\nSubject: " + subject + "\r\n" +
         "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n";
}

// A mail with a text part and one file `name` holding `data` (base64).
inline std::string FullMail(const std::string& subject, const std::string& name,
                            const std::string& data = kHandsetCsv) {
  return HeaderLines(subject) + "--b\r\nContent-Type: text/plain\r\n\r\nhello\r\n--b\r\n" +
         "Content-Type: text/csv; name=\"" + name + "\"\r\n" +
         "Content-Transfer-Encoding: base64\r\n\r\n" + Base64EncodeText(data) + "\r\n--b--\r\n";
}

// A POP3 dialogue step by step, as the road runs it with GetUIDLsOnRetrieve.
struct Pop3Script {
  testing::TScriptedServer s;

  Pop3Script() = default;
  // On a borrowed listening socket (see TScriptedServer).
  explicit Pop3Script(int listenFd) : s(listenFd) {}

  Pop3Script& Login() {
    s.Send("+OK ready <1.2@test>\r\n").Reply("+OK user\r\n").Reply("+OK in\r\n");
    return *this;
  }
  Pop3Script& Stat(int count) {
    s.Reply("+OK " + std::to_string(count) + " 1000\r\n").Reply("-ERR no LAST\r\n");
    return *this;
  }
  Pop3Script& Listing(const std::vector<std::string>& ids) {
    std::string reply = "+OK\r\n";
    for (size_t i = 0; i < ids.size(); ++i) reply += std::to_string(i + 1) + " " + ids[i] + "\r\n";
    s.Reply(reply + ".\r\n");
    return *this;
  }
  // LIST n, then TOP n 0 or RETR n with `lines`, then UIDL n.
  Pop3Script& Fetch(int n, const std::string& lines, const std::string& id) {
    const std::string num = std::to_string(n);
    s.Reply("+OK " + num + " 500\r\n").Reply("+OK\r\n" + lines + ".\r\n");
    s.Reply("+OK " + num + " " + id + "\r\n");
    return *this;
  }
  void Start() { s.Start(); }
};

// A receive with the settings of a private folder, reaching the server on `port`.
struct ReceiveRun {
  TRoadFolder f;
  TPop3Client pop;
  std::vector<std::filesystem::path> files;

  explicit ReceiveRun(int port) {
    pop.TimeOut = 3000;
    pop.OnError = ErrorBoxHandler(f.dialogs);
    f.WriteSettings(LocalSettings(0, port, "taro", "secret"));
  }
  TReceiveResult Run() { return ReceiveFromPhone(pop, f.context, files); }
};

// A mail in a scripted mailbox; a schedule mail when its subject is "mrv", the subject word
// the settings default to. `File` names its one attachment (none when empty).
struct TBoxMail {
  std::string Id;
  std::string Subject;
  std::string File{};
  std::string Data{};

  bool ForSchedule() const { return Subject == "mrv"; }
};

// One command the road sends and the reply it gets.
struct TPop3Step {
  std::string Command;
  std::string Reply;
  int Mail = 0;  // the mail number the step belongs to; 0 for the session's own steps
};

// The dialogue of one receive ("taro"/"secret", USER and PASS) with `box` when uidl.ini holds
// `known`: login, STAT, LAST, the listing, then for every mail not known its header block and,
// for a schedule mail, the whole mail. With `noUidl` there is no listing and every mail is
// examined. QUIT, whose reply nobody awaits, is left out.
inline std::vector<TPop3Step> ReceiveDialogue(const std::vector<TBoxMail>& box,
                                              const std::vector<std::string>& known,
                                              bool noUidl = false) {
  const std::unordered_set<std::string> knownIds(known.begin(), known.end());
  std::vector<TPop3Step> steps = {{"USER taro", "+OK user\r\n"},
                                  {"PASS secret", "+OK in\r\n"},
                                  {"STAT", "+OK " + std::to_string(box.size()) + " 1000\r\n"},
                                  {"LAST", "-ERR no LAST\r\n"}};
  std::string listing = "+OK\r\n";
  for (size_t i = 0; i < box.size(); ++i)
    listing += std::to_string(i + 1) + " " + box[i].Id + "\r\n";
  if (!noUidl) steps.push_back({"UIDL", listing + ".\r\n"});
  for (size_t i = 0; i < box.size(); ++i) {
    const TBoxMail& m = box[i];
    if (!noUidl && knownIds.contains(m.Id)) continue;
    const int n = static_cast<int>(i + 1);
    const std::string num = std::to_string(n);
    auto fetch = [&](const std::string& command, const std::string& lines) {
      steps.push_back({"LIST " + num, "+OK " + num + " 500\r\n", n});
      steps.push_back({command, "+OK\r\n" + lines + ".\r\n", n});
      steps.push_back({"UIDL " + num, "+OK " + num + " " + m.Id + "\r\n", n});
    };
    fetch("TOP " + num + " 0", HeaderLines(m.Subject));
    if (m.ForSchedule()) fetch("RETR " + num, FullMail(m.Subject, m.File, m.Data));
  }
  return steps;
}

// Plays `steps` after the greeting; at step `dropAt` the server reads the command and hangs
// up without a reply. Played to the end, it then awaits QUIT.
inline void PlayDialogue(testing::TScriptedServer& s, const std::vector<TPop3Step>& steps,
                         size_t dropAt = static_cast<size_t>(-1)) {
  s.Send("+OK ready <1.2@test>\r\n");
  for (size_t i = 0; i < steps.size(); ++i) {
    if (i == dropAt) {
      s.Expect().Close();
      return;
    }
    s.Reply(steps[i].Reply);
  }
  s.Expect();
}

inline std::vector<std::string> Commands(const std::vector<TPop3Step>& steps, size_t count) {
  std::vector<std::string> out;
  for (size_t i = 0; i < count && i < steps.size(); ++i) out.push_back(steps[i].Command);
  return out;
}

}  // namespace moriva::mailroad
