#include "mail/MimeParser.h"

#include <filesystem>
#include <utility>

#include "base/Charset.h"
#include "base/Exception.h"
#include "mail/Attachment.h"
#include "mail/AttachmentName.h"
#include "mail/CodecStreams.h"
#include "mail/HeaderText.h"

namespace moriva {
namespace {

bool Contains(const std::string& text, std::string_view word) {
  return text.find(word) != std::string::npos;
}

std::string LowerText(std::string_view text) {
  std::string r(text);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

// The lines joined by CR LF, without a line end after the last.
std::string JoinLines(TLineSpan lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

// The quoted-printable decoding of the lines, each followed by CR LF. The shared decoder
// also serves header words, where "_" stands for a blank; in a body an underscore is just an
// underscore, so it is handed over as "=5F".
std::string DecodeQuotedLines(TLineSpan lines) {
  std::string text;
  for (const std::string& line : lines) {
    for (char c : line) {
      if (c == '_')
        text += "=5F";
      else
        text += c;
    }
    text += "\r\n";
  }
  return DecodeQuotedText(text);
}

std::string DecodeBase64Lines(TLineSpan lines) {
  TMemoryStream bytes;
  TBase64DecodingStream decoder(bytes);
  for (const std::string& line : lines) decoder.Write(line);
  return bytes.TakeBytes();
}

void AppendLines(TLineList& list, const auto& lines) {
  list.BeginUpdate();
  for (const std::string& line : lines) list.Add(line);
  list.EndUpdate();
}

// One parse of a mail: the message it fills and how many more leaf parts it may read.
class TPartReader {
 public:
  explicit TPartReader(TMailMessage& msg) : msg_(msg) {}

  void Part(TLineSpan lines, int depth) {
    TPartInfo info = GetPartInfo(lines);
    const std::string& c = info.ContentType;
    const std::string& f = info.FileName;
    const std::string& e = info.Encoding;
    if (!Contains(c, "TEXT")) {
      if (Contains(c, "MULTIPART")) {
        std::vector<TMimeLeaf> leaves;
        SplitMultipart(lines, leaves, depth, &budget_);
        for (const TMimeLeaf& leaf : leaves) Part(leaf.Lines, leaf.Depth);
      } else if (e == "X-UUENCODE" || !f.empty()) {
        AddAttachment(msg_, StripHeaderBlock(lines), c, f, e);
      } else if (c == "MESSAGE/RFC822") {
        // The enclosed mail's own header block now heads the part; its fields stay out of
        // the message members. Each enclosed mail counts as a nesting level.
        if (depth < kMaxMimeDepth) Part(StripHeaderBlock(lines), depth + 1);
      } else if (e != "BASE64" && e != "QUOTED-PRINTABLE") {
        AppendLines(msg_.Text, StripHeaderBlock(lines));
      } else {
        AddAttachment(msg_, StripHeaderBlock(lines), c, f, e);
      }
      return;
    }
    TLineSpan body = StripHeaderBlock(lines);
    if (!f.empty() || c == "TEXT/HTML") {
      AddAttachment(msg_, body, c, f, e);
    } else if (e == "QUOTED-PRINTABLE") {
      AppendLines(msg_.Text, SplitLines(DecodeQuotedLines(body)));
    } else if (e == "BASE64") {
      AppendLines(msg_.Text, SplitLines(DecodeBase64Lines(body)));
    } else {
      AppendLines(msg_.Text, body);
    }
  }

 private:
  TMailMessage& msg_;
  size_t budget_ = kMaxMimeParts;
};

}  // namespace

void SplitMultipart(TLineSpan lines, std::vector<TMimeLeaf>& parts, int depth, size_t* budget) {
  size_t unlimited = kMaxMimeParts;
  if (budget == nullptr) budget = &unlimited;
  if (*budget == 0) return;
  auto type = FindHeader("CONTENT-TYPE:", lines);
  if (!type || !Contains(UpperHeaderText(*type), "MULTIPART")) {
    parts.push_back({lines, depth});
    --*budget;
    return;
  }
  if (depth >= kMaxMimeDepth) return;
  const std::string delimiter = BoundaryOf(*type);
  if (delimiter.empty()) return;
  const std::string closing = delimiter + "--";
  TLineSpan body = StripHeaderBlock(lines);
  size_t start = 0;
  while (start < body.size() && body[start] != delimiter) ++start;
  if (start == body.size()) return;
  ++start;
  size_t end = start;
  for (; end < body.size() && body[end] != closing; ++end) {
    if (body[end] != delimiter) continue;
    SplitMultipart(body.subspan(start, end - start), parts, depth + 1, budget);
    if (*budget == 0) return;
    start = end + 1;
  }
  SplitMultipart(body.subspan(start, end - start), parts, depth + 1, budget);
}

void ParsePart(TMailMessage& msg, TLineSpan lines) {
  TPartReader(msg).Part(lines, 0);
}

TAttachedFile& AddAttachment(TMailMessage& msg, TLineSpan lines, const std::string& contentType,
                             const std::string& fileName, const std::string& encoding) {
  // The part declares its own content type, so the table of types by extension is not
  // consulted (reading it once per part would make a mail of many parts very slow).
  std::filesystem::path types = std::exchange(msg.AttachedFiles.MimeTypesFile, {});
  TAttachedFile* added = nullptr;
  try {
    added = &msg.AttachedFiles.Add(AttachmentFileName(fileName, contentType, msg.Subject));
  } catch (...) {
    msg.AttachedFiles.MimeTypesFile = std::move(types);
    throw;
  }
  msg.AttachedFiles.MimeTypesFile = std::move(types);
  TAttachedFile& item = *added;
  item.ContentType = LowerText(contentType);
  // The content comes with the item; it is never read from a file.
  item.FilePath.clear();
  if (encoding == "BASE64") {
    item.DecodeBase64(lines);  // straight from the mail's lines, without a copy of them
  } else if (encoding == "X-UUENCODE") {
    item.EncodedLines.Assign(std::vector<std::string>(lines.begin(), lines.end()));
    try {
      item.DecodeUU();
    } catch (const Exception&) {
      // A broken uuencoded block is kept as it came rather than lost.
      item.SetBody(JoinLines(lines));
    }
    item.EncodedLines.Clear();
  } else if (encoding == "QUOTED-PRINTABLE") {
    std::string bytes = DecodeQuotedLines(lines);
    if (bytes.ends_with("\r\n")) bytes.resize(bytes.size() - 2);
    item.SetBody(std::move(bytes));
  } else {
    item.SetBody(JoinLines(lines));
  }
  return item;
}

void SetRawMail(TMailMessage& msg, const TLineList& lines) {
  msg.RawMail.Assign(lines);
  Parse(msg);
}

void Parse(TMailMessage& msg) {
  if (msg.RawMail.Empty()) return;
  // One load of each charset's converter for the whole mail, however many headers name it.
  const TCharsetScope charsets;
  const std::vector<std::string> raw = msg.RawMail.Lines();
  size_t header_end = 0;
  while (header_end < raw.size() && !raw[header_end].empty()) ++header_end;
  AppendLines(msg.Headers, TLineSpan(raw).first(header_end));

  TLineSpan headers(msg.Headers.Lines());
  auto value = [&](std::string_view key) -> std::optional<std::string> {
    auto line = FindHeader(key, headers);
    if (!line) return std::nullopt;
    return HeaderValue(key, *line);
  };
  // A mailbox-style first line "From sender date" names the envelope sender at character 6.
  const std::string first = headers.empty() ? std::string() : headers[0];
  msg.From = first.size() > 5 ? first.substr(5, 72) : std::string();
  if (auto v = value("FROM:")) msg.From = DecodeHeaderToCp932(*v);
  if (auto v = value("SENDER:")) msg.Sender = NormalizeAddressList(*v);
  if (auto v = value("REPLY-TO:")) msg.ReplyTo = NormalizeAddressList(*v);
  if (auto v = value("TO:")) msg.SendTo = NormalizeAddressList(*v);
  if (auto v = value("CC:")) msg.CC = NormalizeAddressList(*v);
  if (auto v = value("MESSAGE-ID:")) msg.MessageId = *v;
  if (auto v = value("IN-REPLY-TO:")) msg.InReplyTo = *v;
  if (auto v = value("RETURN-PATH:")) msg.ReturnPath = *v;
  if (auto v = value("DATE:")) msg.Date = *v;
  if (auto v = value("SUBJECT:")) msg.Subject = DecodeHeaderToCp932(*v);
  auto type = value("CONTENT-TYPE:");
  msg.ContentType = type ? UpperHeaderText(*type) : "TEXT/PLAIN";
  auto encoding = value("CONTENT-TRANSFER-ENCODING:");
  msg.ContentTransferEncoding = encoding ? UpperHeaderText(*encoding) : "7BIT";

  TPartReader(msg).Part(TLineSpan(raw), 0);
  if (msg.ClearRawMailAfterParse) msg.RawMail.Clear();
}

}  // namespace moriva
