#pragma once
// The two roads between the schedule and the handset, which is reached only through mail:
// - sending mails "SCHEDULE.CSV" to the handset's own address (SMTP);
// - receiving fetches the handset's schedule mails from the user's mailbox (POP3), each mail
//   once, and saves their attachments into the folder "incoming" for the merge.
// Both read the mail settings of "hs110.ini" afresh at every run and report to the user
// through TDialogs and the status panels themselves; the window's actions and the command-line
// tool only build the inputs and act on the result.
//
// Everything runs on the caller's thread. The clients pump through ProcessMessages while they
// wait, so a window stays live and can ask a running receive to stop (TPop3Client::Cancel).
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/Cp932.h"
#include "base/Dialogs.h"
#include "base/LineList.h"
#include "base/ProgramFolders.h"
#include "mail/Attachment.h"
#include "mail/MailMessage.h"
#include "mail/Pop3Client.h"
#include "mail/SmtpClient.h"
#include "transfer/CsvMerge.h"

namespace moriva {

// In the program's data folder (TProgramFolders::Data): the file sent last, the files received,
// the ids of the mails already examined.
inline constexpr std::string_view kOutgoingFolder = "outgoing";
inline constexpr std::string_view kIncomingFolder = "incoming";
inline constexpr std::string_view kUidlFileName = "uidl.ini";

// ---- Texts (UTF-8) ----

// The question before a send: caption, text; Yes is the default button, exclamation icon.
inline constexpr std::string_view kSendQuestionCaption = "確認";
inline constexpr std::string_view kSendQuestionText = "H\"へ送信します。よろしいですか？";
inline constexpr std::string_view kSendSettingsMissingText = "EMail送信の設定をしてください。";
inline constexpr std::string_view kSendFailedText = "送信に失敗しました。";
inline constexpr std::string_view kSendDoneText = "送信完了しました。";

inline constexpr std::string_view kReceiveSettingsMissingText = "EMail受信の設定をしてください。";
inline constexpr std::string_view kCannotConnectText = "サーバーへ接続できませんでした。";
// Status panel 2 while a receive runs.
inline constexpr std::string_view kConnectingText = "サーバーへ接続中...";
inline constexpr std::string_view kListingText = "接続しました。メール一覧を受信中...";
inline constexpr std::string_view kReceivingText = "メールを受信しています...";
inline constexpr std::string_view kUidlErrorText = "UIDL Error";
// "3 件受信しました。": panel 2 after a receive (and after the merge of what it brought).
std::string ReceivedCountText(int count);

// The status panels a receive writes: position "k/total", mails fetched, status and subject.
inline constexpr int kPositionPanel = 0;
inline constexpr int kCountPanel = 1;
inline constexpr int kStatusPanel = 2;

// ---- The mail to the handset ----

inline constexpr std::string_view kPhoneSubject = "Moriva";
// Sender name and address used when the settings leave them empty.
inline constexpr std::string_view kDefaultSenderName = "Moriva (UnKnown)";
inline constexpr std::string_view kDefaultSenderMail = "UnKnown";
// The handset reads JIS text only.
inline constexpr std::string_view kPhoneCharSet = "ISO-2022-JP";
// "Moriva Ver.1.0.0.0": the program and its version text.
std::string PhoneXMailer();

// "Moriva Message yy/mm/dd hh:nn", every number two digits (the year's last two, the hour
// 0-23), e.g. "Moriva Message 26/12/06 20:15". The second form takes the local time of `now`.
std::string PhoneMessageBody(int year, int month, int day, int hour, int minute);
std::string PhoneMessageBody(TMailTime now);

// Builds the handset's CSV of the items dated `today` or later (BuildPhoneCsv) and writes it,
// atomically, as <dataDir>/outgoing/SCHEDULE.CSV, creating the folders as needed. Returns the
// file's path. EFileError when the folder or the file cannot be made (the old file then stays).
std::filesystem::path WriteOutgoingPhoneCsv(const std::filesystem::path& dataDir,
                                            const TLineList& specialDayList, int32_t today,
                                            size_t* leftOut = nullptr);

// ---- What both roads need from their surroundings ----

struct TTransferContext {
  TTransferContext(TDialogs& dialogs, TProgramFolders folders)
      : Dialogs(dialogs), Folders(std::move(folders)) {}

  TDialogs& Dialogs;
  // "hs110.ini" in Folders.Config; "uidl.ini", "outgoing" and "incoming" in Folders.Data.
  TProgramFolders Folders;
  // The three status panels (receive only); may be null.
  TStatusSink* Status = nullptr;
  // Installed on the client for the run when set (the window: process pending events); the
  // client's own callback is used otherwise.
  std::function<void()> ProcessMessages;
  // Asked at every pump; true cancels a running receive as TPop3Client::Cancel does. For callers
  // that cannot reach the client (a signal handler of the command-line tool).
  std::function<bool()> CancelRequested;
  // The composition time of a sent mail; the system clock when empty.
  std::function<TMailTime()> Clock;
  // Where the content type of an attachment is looked up.
  std::filesystem::path MimeTypesFile = kMimeTypesFile;
};

// A settings value "host" or "host:port": the host and the port text. Without ":" the port
// is `defaultPort` (the one of the connection's security: DefaultSmtpPort, DefaultPop3Port),
// so a plain server name behaves as it always did; a value like
// "mail.example.jp:587" reaches a server on another port.
struct TServerAddress {
  std::string Host;
  std::string Port;
};
TServerAddress SplitServerAddress(std::string_view setting, std::string_view defaultPort);

// Points `client` (TSmtpClient or TPop3Client) at the server of the settings: `address` as
// SplitServerAddress reads it, the protection `securityKey` names (its own default port when the
// address has none) and the extra certificates of `caFile` (CP932, as the settings hold it).
// False when the key names no protection the client knows; the client is then left unprotected
// and must not be started.
template <class TClient>
bool AimClient(TClient& client, std::string_view address, std::string_view securityKey,
               std::string_view caFile) {
  constexpr bool pop3 = std::is_same_v<TClient, TPop3Client>;
  const std::optional<TMailSecurity> security = ParseMailSecurity(securityKey, pop3);
  const TMailSecurity used = security.value_or(TMailSecurity::msNone);
  TServerAddress server =
      SplitServerAddress(address, pop3 ? DefaultPop3Port(used) : DefaultSmtpPort(used));
  client.Host = std::move(server.Host);
  client.Port = std::move(server.Port);
  client.Security = used;
  client.CaFile = Cp932ToUtf8(caFile);  // a path: the file system speaks UTF-8
  return security.has_value();
}

// An OnError handler for either client: the server's text alone in an error box.
std::function<void(const void*, int, const std::string&)> ErrorBoxHandler(TDialogs& dialogs);

// ---- Send ----

struct TPhoneMail {
  std::string Subject{};  // CP932
  std::string Body{};     // CP932; split into lines at CR, LF or CR LF
  std::vector<std::filesystem::path> Attachments{};
  std::string CC{}, BCC{};     // addresses, comma-separated; empty for none
  std::string ExtraHeaders{};  // header lines, split like Body; empty for none
};

enum class TSendResult {
  NotConfigured,  // "smtp" or "hs110email" empty: the settings message, nothing connected
  ConnectFailed,  // no connection, or greeting/HELO refused: "送信に失敗しました。"
  Failed,         // the server refused the mail: "送信に失敗しました。"
  Sent,           // the server accepted it: "送信完了しました。"
};

// Sends one mail to the handset with the settings of hs110.ini (section "email":
// "hs110email" the recipient, "smtp" the server, "sender"/"sendermail" the sender, empty ones
// becoming kDefaultSenderName / kDefaultSenderMail; "smtpsecurity", "smtpuser",
// "smtppassword" and "cafile" for TLS and AUTH, an unknown security word counting as settings
// to be made). Shows the hourglass while it runs and the
// outcome's message; the server's own reply texts reach the user through the client's OnError.
// An exception of the composition (e.g. "\"From\" address not complete." for a sender address
// without "@") or of an attachment file passes to the caller after the connection is closed;
// nothing is sent then.
TSendResult SendToPhone(TSmtpClient& smtp, const TTransferContext& context, const TPhoneMail& mail);

// What the send action does: writes outgoing/SCHEDULE.CSV from the items dated `today`
// or later (also when the user then declines), asks kSendQuestionText when `ask` (caption
// kSendQuestionCaption, exclamation icon, Yes the default), and on Yes sends it with the subject
// kPhoneSubject and the body PhoneMessageBody of the context's clock. Returns nothing when the
// user declined. The file's EFileError passes to the caller before the question.
std::optional<TSendResult> SendScheduleToPhone(TSmtpClient& smtp, const TTransferContext& context,
                                               const TLineList& specialDayList, int32_t today,
                                               bool ask = true);

// ---- Receive ----

// The unique-id bookkeeping of one receive. `serverList` is the server's listing, one line
// "n id" per mail; each line is replaced by its id (the text after the first blank, the whole
// line when it has none). Returns the numbers of the mails whose id `known` lacks (compared
// without regard to ASCII letter case), ascending; the number is the line's position plus one,
// not the number written in it, and positions past 65535 are not reachable and left out. Ids
// of `known` that the server no longer lists are removed, the others keep their order.
std::vector<uint16_t> MarkNewMails(TLineList& serverList, TLineList& known);

enum class TReceiveOutcome {
  NotConfigured,  // "pop" or "userid" empty: the settings message, nothing connected
  CannotConnect,  // no connection, greeting or login refused: "サーバーへ接続できませんでした。"
  Failed,     // the server failed part-way, or a file could not be saved (see below)
  Cancelled,  // stopped by a cancel; the ids of the mails handled so far are saved
  Done,
};

struct TReceiveResult {
  int Count = 0;  // schedule mails fetched in full
  TReceiveOutcome Outcome = TReceiveOutcome::Done;
  bool UidlSaved = false;  // uidl.ini holds the known ids (written, or already up to date)
};

// Receives the handset's mails with the settings of hs110.ini ("pop" the server,
// "userid", "password" (stored scrambled), "apop", "nouidl", "prestr" the subject word, "mrv"
// by default, "popsecurity" and "cafile" for TLS). Mail is never deleted.
//
// Without "nouidl", only the mails whose ids uidl.ini lacks are examined, and every
// mail examined to its end has its id recorded there; ids of mails gone from the server are
// dropped. A mail is examined by its header block; when its subject, with A-Z in lower case,
// equals the subject word, it is fetched in full and each attachment is saved (atomically,
// replacing an older file of its name) as incoming/<name>, its path appended to
// `fileList` unless already there. The id of a mail is recorded only after its attachments are
// on disk, so a mail interrupted by a cancel or a failure is examined again next time.
//
// A cancel (TPop3Client::Cancel or CancelRequested) stops after the mail in hand, or at once inside
// a reception; uidl.ini is then saved with the ids handled so far. At the first failure the
// server reports part-way (through the client's OnError) or a file error (shown in an error box)
// the receive ends with the count reached. No id is ever dropped then: a listing cut short
// must never empty the list. When mails were handled in full before the failure, their ids are
// added to the list as it was loaded (their files are in `fileList`, for the merge), so they
// are not fetched again; otherwise uidl.ini is left untouched. A uidl.ini that cannot be
// written is shown in an error box (status kUidlErrorText) and makes the receive Failed: its
// mails will be fetched again. The status panels show the progress; the count text is the
// caller's (it follows the merge). A stored password that cannot be decoded throws EConvertError
// before anything is connected.
//
// `beforeRecording`, when set, is called with the count just before uidl.ini is written (not
// when nothing is to be recorded); an exception from it passes to the caller and nothing is
// recorded, so the mails are fetched again next time.
TReceiveResult ReceiveFromPhone(TPop3Client& pop, const TTransferContext& context,
                                std::vector<std::filesystem::path>& fileList,
                                const std::function<void(int count)>& beforeRecording = {});

// The received files merged into `specialDayList` in order: every one named as a CSV file (the
// first file when none is), each path once; all are read first, so EFileError changes nothing.
TMergeResult MergeScheduleFiles(const std::vector<std::filesystem::path>& files,
                                TLineList& specialDayList);

// What the receive action does up to the merge: ReceiveFromPhone and, when mails were fetched
// and files saved, MergeScheduleFiles into `specialDayList`, done before uidl.ini
// records the mails (an unreadable file throws EFileError, and the mails stay unrecorded). The
// caller then copies the day lists and sets Modified when Merged is set, shows
// MergeCompletionMessage(*Merged) and sets panel 2 to ReceivedCountText(Received.Count).
struct TReceiveAndMerge {
  TReceiveResult Received;
  std::vector<std::filesystem::path> Files;  // the files saved, in order
  std::optional<TMergeResult> Merged;        // set when the files were merged
};
TReceiveAndMerge ReceiveIntoSchedule(TPop3Client& pop, const TTransferContext& context,
                                     TLineList& specialDayList);

}  // namespace moriva
