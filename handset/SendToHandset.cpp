// The send road: the outgoing file, the mail to the handset and its delivery.
#include "handset/SendToHandset.h"

#include <cstdio>
#include <ctime>

#include "Version.h"
#include "base/Cp932.h"
#include "formats/PhoneCsv.h"
#include "handset/ClientPump.h"
#include "handset/MailServerAddress.h"
#include "mail/AttachmentName.h"
#include "schedule/ScheduleFile.h"
#include "settings/MailSettings.h"

namespace moriva {

namespace {

// Ends a connection that a failed send may have left open. QUIT goes out only while the
// dialogue is sound; after a reported failure the client would report the missing goodbye
// as a second failure, so the socket is simply closed.
void CloseQuietly(TSmtpClient& smtp) {
  if (!smtp.Connected()) return;
  if (smtp.ErrorFlag())
    smtp.Socket().Close();
  else
    smtp.Quit();
}

}  // namespace

std::string PhoneXMailer() {
  return std::string("Moriva Ver.") + MORIVA_VERSION_TEXT;
}

std::string PhoneMessageBody(int year, int month, int day, int hour, int minute) {
  char text[64];
  std::snprintf(text, sizeof text, "Moriva Message %02d/%02d/%02d %02d:%02d",
                ((year % 100) + 100) % 100, month, day, hour, minute);
  return text;
}

std::string PhoneMessageBody(TMailTime now) {
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  return PhoneMessageBody(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min);
}

std::filesystem::path WriteOutgoingPhoneCsv(const std::filesystem::path& dataDir,
                                            const TLineList& schedule, int32_t today,
                                            TPhoneCsvCounts* counts, const THolidayTest& holidays) {
  const TLineList csv = BuildPhoneCsv(schedule, today, counts, holidays);
  const std::filesystem::path folder = dataDir / kOutgoingFolder;
  const std::filesystem::path file = folder / kPhoneCsvFileName;
  MakeProgramFolder(folder);
  // A folder that could not be made shows up as the file that cannot be created.
  SavePhoneCsv(file, csv, TFileAccess::OwnerOnly);
  return file;
}

TSendResult SendToPhone(TSmtpClient& smtp, const THandsetContext& context, const TPhoneMail& mail) {
  TBusyCursor busy(context.Dialogs);
  TPumpScope pump(smtp.ProcessMessages, context);
  TMailMessage msg;

  // The password is not needed here, so a broken one must not stop a send.
  std::string passwordError;
  const TMailSettings settings =
      ReadMailSettings(SettingsFilePath(context.Folders.Config), passwordError);
  const bool knownSecurity = AimClient(smtp, settings.SMTP, settings.SmtpSecurity, settings.CaFile);
  smtp.AuthUser = settings.SmtpUser;
  smtp.AuthPassword = settings.SmtpPassword;
  // Only a user who wrote "none" has agreed to send the password unencrypted.
  smtp.PlainAuthAllowed = settings.SmtpSecurity == "none";
  msg.SendTo = settings.HandsetEMail;
  msg.UserName = settings.Sender;
  msg.From = settings.SenderMail;
  if (smtp.Host.empty() || msg.SendTo.empty() || !knownSecurity) {
    context.Dialogs.ShowError(kSendSettingsMissingText);
    return TSendResult::NotConfigured;
  }

  if (msg.UserName.empty()) msg.UserName = kDefaultSenderName;
  if (msg.From.empty()) msg.From = kDefaultSenderMail;
  msg.CharSet = kPhoneCharSet;
  msg.XMailer = PhoneXMailer();
  if (context.Clock) msg.Clock = context.Clock;
  if (!mail.CC.empty()) msg.CC = mail.CC;
  if (!mail.BCC.empty()) msg.BCC = mail.BCC;
  if (!mail.ExtraHeaders.empty()) msg.ExtraHeaders.SetText(mail.ExtraHeaders);
  msg.AttachedFiles.MimeTypesFile = context.MimeTypesFile;
  for (const std::filesystem::path& path : mail.Attachments) msg.AttachedFiles.Add(path.string());
  // The handset reads JIS only: what it cannot show goes as 〓 and is counted.
  size_t replaced = 0;
  msg.UserName = ToHandsetCp932(msg.UserName, replaced);
  msg.Subject = ToHandsetCp932(mail.Subject, replaced);
  msg.Text.SetText(ToHandsetCp932(mail.Body, replaced));

  smtp.Connect();
  if (smtp.ErrorFlag()) {
    CloseQuietly(smtp);
    context.Dialogs.ShowError(kSendFailedText);
    return TSendResult::ConnectFailed;
  }
  try {
    smtp.Send(msg);
  } catch (...) {
    CloseQuietly(smtp);
    throw;
  }
  // A refusal inside the transaction has been reported through OnError; it is no success.
  const bool refused = smtp.ErrorFlag();
  CloseQuietly(smtp);
  if (refused) {
    context.Dialogs.ShowError(kSendFailedText);
    return TSendResult::Failed;
  }
  std::string done(kSendDoneText);
  for (const std::string& note : {mail.DoneNote, PhoneReplacedNote(replaced)})
    if (!note.empty()) done += "\r\n" + note;
  context.Dialogs.ShowMessage(done, {}, TMsgIcon::None);
  return TSendResult::Sent;
}

std::optional<TSendResult> SendScheduleToPhone(TSmtpClient& smtp, const THandsetContext& context,
                                               const TLineList& schedule, int32_t today, bool ask,
                                               const THolidayTest& holidays) {
  TPhoneCsvCounts counts;
  const std::filesystem::path csv =
      WriteOutgoingPhoneCsv(context.Folders.Data, schedule, today, &counts, holidays);
  if (ask && !context.Dialogs.AskYesNo(kSendQuestionText, kSendQuestionCaption, TMsgIcon::Warning,
                                       TMsgDefault::Yes))
    return std::nullopt;
  TPhoneMail mail;
  mail.Subject = kPhoneSubject;
  mail.Body = PhoneMessageBody(context.Clock ? context.Clock() : std::chrono::system_clock::now());
  mail.Attachments.push_back(csv);
  mail.DoneNote = PhoneCsvNote(counts);
  return SendToPhone(smtp, context, mail);
}

}  // namespace moriva
