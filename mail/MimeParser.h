#pragma once
// Reading a received mail into a TMailMessage: the header fields, the plain-text body and the
// attachments. A line-oriented MIME reader: nested multiparts are flattened, base64,
// uuencoded and quoted-printable content is decoded, the texts of headers are decoded in
// whatever charset they came (HeaderText.h), and the body text is kept in its own code. It
// never throws for a malformed mail: what it cannot recognise ends up as body text or as an
// attachment.
//
// The mail is untrusted: multiparts (and enclosed messages) nested deeper than kMaxMimeDepth
// levels are skipped, parts after the first kMaxMimeParts are ignored, and attachment names
// are made safe file names (see AttachmentFileName).
#include <string>
#include <vector>

#include "base/LineList.h"
#include "mail/MailMessage.h"
#include "mail/MimeHeader.h"

namespace moriva {

inline constexpr int kMaxMimeDepth = 100;
inline constexpr size_t kMaxMimeParts = 10000;

// msg.RawMail := a copy of `lines` (one line per text line, no line ends, dot-unstuffed), then
// Parse(msg).
void SetRawMail(TMailMessage& msg, const TLineList& lines);

// Parses msg.RawMail into msg; does nothing when RawMail is empty. Nothing is cleared first,
// so parsing again (header fetch, then full fetch) appends again:
// - Headers: the lines up to the first empty line are appended.
// - From: "FROM:" decoded into CP932 (DecodeHeaderToCp932); without it, characters 6 to 77 of
//   the first header line (the envelope sender of a mailbox-style "From " line).
// - Sender, ReplyTo, SendTo, CC: NormalizeAddressList of "SENDER:", "REPLY-TO:", "TO:", "CC:".
// - MessageId, InReplyTo, ReturnPath, Date: the value text unchanged.
// - Subject: "SUBJECT:" decoded into CP932 (DecodeHeaderToCp932), so that it compares with
//   the program's own texts whatever charset the sender chose.
// - ContentType: upper case up to ";", "TEXT/PLAIN" when absent; ContentTransferEncoding:
//   upper case, "7BIT" when absent.
// Every value is cut before its first ";". A member whose header is absent keeps its value.
// Then the body: plain-text parts are appended to Text (decoded from quoted-printable or
// base64, kept in their own code); every other part becomes one new item of AttachedFiles with
// FileName (UTF-8, see AttachmentFileName) and Body (decoded bytes). Finally RawMail is
// cleared when ClearRawMailAfterParse is set. BCC, UserName, CharSet, ExtraHeaders, Priority
// and XMailer are not touched.
void Parse(TMailMessage& msg);

// One leaf part of a mail: its lines (header block first) and how deep it was nested.
struct TMimeLeaf {
  TLineSpan Lines;
  int Depth = 0;
};

// Flattens `lines` (a part with its header block) into its leaf parts. A part whose
// Content-Type is not a multipart is one leaf. A multipart loses its header block and
// preamble (everything before the first delimiter line); each part between delimiters is
// flattened in turn; the closing delimiter ends it and the epilogue is ignored. Delimiters
// match whole lines exactly (a trailing blank makes no delimiter). A multipart without a
// boundary, or without a delimiter line, gives no parts. `depth` is the nesting level of
// `lines`; at most kMaxMimeDepth levels of multiparts are opened, and at most `budget`
// leaves are produced (the budget is decreased accordingly).
void SplitMultipart(TLineSpan lines, std::vector<TMimeLeaf>& parts, int depth = 0,
                    size_t* budget = nullptr);

// Takes one part (header block first) into msg by the content rules of the reader.
void ParsePart(TMailMessage& msg, TLineSpan lines);

// Stores the content lines of a part (header block removed) as one new attachment, named by
// AttachmentFileName(fileName, contentType, msg.Subject) and decoded by `encoding` (upper
// case): "BASE64", "X-UUENCODE" (a first "begin" line), "QUOTED-PRINTABLE", or anything else
// taken as it is. The Body is the lines joined by CR LF (no final line end) for the last two.
// Returns the new item.
TAttachedFile& AddAttachment(TMailMessage& msg, TLineSpan lines, const std::string& contentType,
                             const std::string& fileName, const std::string& encoding);

}  // namespace moriva
