#pragma once
// The send road: the schedule's items from today on, as "SCHEDULE.CSV", mailed to the
// handset's own address (SMTP) with the mail settings of "hs110.ini", read afresh at every run.
// It reports to the user through TDialogs itself; the window's action and the command-line tool
// only build the inputs and act on the result. Everything runs on the caller's thread; the
// client pumps through ProcessMessages while it waits.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/LineList.h"
#include "formats/PhoneCsv.h"
#include "handset/HandsetContext.h"
#include "mail/SmtpClient.h"

namespace moriva {

// ---- Texts (UTF-8) ----

// The question before a send: caption, text; Yes is the default button, exclamation icon.
inline constexpr std::string_view kSendQuestionCaption = "確認";
inline constexpr std::string_view kSendQuestionText = "H\"へ送信します。よろしいですか？";
inline constexpr std::string_view kSendSettingsMissingText = "EMail送信の設定をしてください。";
inline constexpr std::string_view kSendFailedText = "送信に失敗しました。";
inline constexpr std::string_view kSendDoneText = "送信完了しました。";

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

// Builds the handset's CSV of the items dated `today` or later (BuildPhoneCsv, series expanded
// under `holidays`) and writes it, atomically, as <dataDir>/outgoing/SCHEDULE.CSV, creating the
// folders as needed. Returns the file's path. EFileError when the folder or the file cannot be
// made (the old file then stays).
std::filesystem::path WriteOutgoingPhoneCsv(const std::filesystem::path& dataDir,
                                            const TLineList& schedule, int32_t today,
                                            TPhoneCsvCounts* counts = nullptr,
                                            const THolidayTest& holidays = CurrentLawHolidays());

struct TPhoneMail {
  std::string Subject{};  // CP932
  std::string Body{};     // CP932; split into lines at CR, LF or CR LF
  std::vector<std::filesystem::path> Attachments{};
  std::string CC{}, BCC{};     // addresses, comma-separated; empty for none
  std::string ExtraHeaders{};  // header lines, split like Body; empty for none
  std::string DoneNote{};      // UTF-8; a line shown after kSendDoneText once the mail is sent
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
TSendResult SendToPhone(TSmtpClient& smtp, const THandsetContext& context, const TPhoneMail& mail);

// What the send action does: writes outgoing/SCHEDULE.CSV from the items dated `today`
// or later (also when the user then declines), asks kSendQuestionText when `ask` (caption
// kSendQuestionCaption, exclamation icon, Yes the default), and on Yes sends it with the subject
// kPhoneSubject and the body PhoneMessageBody of the context's clock; the message after the
// send says how many rows the series became (PhoneSeriesNote). Returns nothing when the user
// declined. The file's EFileError passes to the caller before the question.
std::optional<TSendResult> SendScheduleToPhone(TSmtpClient& smtp, const THandsetContext& context,
                                               const TLineList& schedule, int32_t today,
                                               bool ask = true,
                                               const THolidayTest& holidays = CurrentLawHolidays());

}  // namespace moriva
