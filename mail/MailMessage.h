#pragma once
// The mail message: its members, their defaults, and its composition into the lines of a
// MIME message (FillRawMail). Sending fills the members and composes; receiving fills
// RawMail and parses it into the same members.
//
// Texts are CP932 byte strings unless said otherwise. The clock and the time zone are
// members so that composed mails can be reproduced exactly (tests fix both).
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "base/LineList.h"
#include "mail/Attachment.h"

namespace moriva {

// Written as "X-Priority: " and the ordinal plus one (1-5).
enum TPriority { prHighest, prHigh, prNormal, prLow, prLowest };

using TMailTime = std::chrono::system_clock::time_point;

// The C library's time-zone bias at `t`, in minutes: UTC = local time + bias, so Japan
// gives -540. Daylight saving time is included when it is in force at `t`.
int LocalZoneBias(TMailTime t);

// The date header text of `t` seen in a zone of the given bias:
// "Sun, 6 Dec 2026 20:15:07 +0900". English names whatever the locale; a bias of 0 gives
// "GMT", a negative bias "+hhmm", a positive one "-hhmm".
std::string FormatMailDate(TMailTime t, int bias);
// The same in the C library's zone.
std::string FormatMailDate(TMailTime t);

// "<VEX.yyyy.mm.dd.<16 letters a-t>@domain>", the date being the local date of `now` in the
// zone of `bias`. The letters come from a generator seeded from `now`.
std::string MakeMessageId(std::string_view domain, TMailTime now, int bias);
// "--_VEX_bound_" and 12 letters a-y, from a generator seeded from `now`. Delimiter lines
// ("--" + boundary) thus begin with four hyphens.
std::string MakeBoundary(TMailTime now);

class TMailMessage {
 public:
  TMailMessage() = default;
  TMailMessage(const TMailMessage&) = delete;
  TMailMessage& operator=(const TMailMessage&) = delete;

  TPriority Priority = prNormal;
  // Display name of the sender. Composition replaces it by its encoded form.
  std::string UserName;
  // Sender address; must hold "@" for composition. After parsing: the decoded From header.
  std::string From;
  std::string Sender;      // parsed only
  std::string MessageId;   // parsed only; composition makes a new one every time
  std::string InReplyTo;   // "In-Reply-To" when not empty
  std::string ReturnPath;  // parsed only
  std::string ReplyTo;     // "Reply-To" when not empty
  std::string SendTo;      // the "To" header: addresses separated by commas, written unchanged
  std::string CC;          // the "CC" header when not empty, same form
  std::string BCC;         // hidden recipients for the SMTP envelope; never written
  std::string Date;        // the date header text, written unchanged (see MailDateNow)
  std::string Subject;
  TLineList Text;          // body lines; assigning a list copies its lines
  TLineList ExtraHeaders;  // further header lines, written as they are, last
  TAttachedFiles AttachedFiles;
  std::string ContentType;              // parsed only
  std::string ContentTransferEncoding;  // parsed only
  TLineList Headers;                    // header lines of a parsed message
  std::string CharSet = "ISO-8859-1";   // charset parameter of the text part
  int64_t Size = 0;                     // size reported by the POP3 server
  std::string UIDL;                     // unique id reported by the POP3 server
  TLineList RawMail;  // the whole message as lines without line ends (body dot-stuffed)
  bool ClearRawMailAfterParse = true;
  std::string XMailer;  // the "X-Mailer" header, always written

  // Where composition takes the time from: the system clock and the C library's zone by
  // default.
  std::function<TMailTime()> Clock = [] { return std::chrono::system_clock::now(); };
  std::function<int(TMailTime)> ZoneBias = LocalZoneBias;

  // Clears RawMail and fills it with the composed message: header lines, one empty line,
  // the body (JIS, dot-stuffed), with attachments as a multipart/mixed of base64 parts.
  // Throws Exception "\"From\" address not complete." when From holds no "@"; an attachment
  // that cannot be read throws EFileError; an attachment encoding stopped by its Cancelled
  // flag throws Exception "Operation aborted". RawMail is empty after any of these.
  void FillRawMail();

  // The date text for Date just before sending, from Clock and ZoneBias.
  std::string MailDateNow() const;
  // The free MakeMessageId and MakeBoundary with Clock and ZoneBias.
  std::string MakeMessageId(std::string_view domain) const;
  std::string MakeBoundary() const;

 private:
  // The encoded form composition last gave UserName, so that a second composition does not
  // encode the encoded form again (which would fold inside its encoded words).
  std::string encoded_user_name_;
};

}  // namespace moriva
