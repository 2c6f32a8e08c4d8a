#include "mail/MailMessage.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "base/Exception.h"
#include "mail/EncodedWord.h"
#include "mail/JapaneseCodes.h"

namespace moriva {
namespace {

constexpr std::string_view kFromName = "From: ";
constexpr std::string_view kSubjectName = "Subject: ";
// What stands before an attachment's name: "Content-Type: " and "; name=\"" around its
// content type, and "Content-Disposition: attachment; filename=\"".
constexpr size_t kTypeNameLead = 22;
constexpr size_t kDispositionNameLead = 43;

constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Broken-down time of `t` in the zone of `bias` (UTC = local + bias).
std::tm LocalTm(TMailTime t, int bias) {
  auto seconds = std::chrono::floor<std::chrono::seconds>(t).time_since_epoch().count();
  std::time_t local = static_cast<std::time_t>(seconds - int64_t{bias} * 60);
  std::tm tm{};
  gmtime_r(&local, &tm);
  return tm;
}

// A small generator (splitmix64) seeded from the clock. Its sequence is fixed for a given
// seed, so a fixed clock gives reproducible identifiers.
class ClockRandom {
 public:
  ClockRandom(TMailTime now, uint64_t salt)
      : state_(static_cast<uint64_t>(now.time_since_epoch().count()) ^ salt) {}
  // A letter uniformly from 'a' to 'a' + count - 1.
  char Letter(unsigned count) {
    uint64_t x = Next() >> 32;
    return static_cast<char>('a' + ((x * count) >> 32));
  }

 private:
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint64_t state_;
};

// Adds a header (or attachment header) line. A value that holds line ends, such as a folded
// encoded header, is put on several lines; every line after the first is made a continuation
// (it begins with a blank) and empty pieces are dropped, so no value can end the header
// block early or start a header of its own.
void AddHeaderLine(TLineList& lines, std::string_view header) {
  bool first = true;
  for (std::string& piece : SplitLines(header)) {
    if (!first && piece.empty()) continue;
    if (!first && piece[0] != ' ' && piece[0] != '\t') piece.insert(0, 1, ' ');
    lines.Add(std::move(piece));
    first = false;
  }
}

// An encoded file name for use inside double quotes. The header encoding puts a blank before
// every encoded word, which in a header is folding space; inside quotes it would be kept
// literally, and other mail programs would save the file with a leading blank. Our own reader
// trims it either way.
std::string_view InQuotes(std::string_view encoded) {
  if (encoded.size() > 1 && encoded[0] == ' ' && encoded.substr(1, 2) == "=?")
    encoded.remove_prefix(1);
  return encoded;
}

}  // namespace

int LocalZoneBias(TMailTime t) {
  std::time_t tt = std::chrono::system_clock::to_time_t(t);
  std::tm tm{};
  localtime_r(&tt, &tm);
  return static_cast<int>(-tm.tm_gmtoff / 60);
}

std::string FormatMailDate(TMailTime t, int bias) {
  std::tm tm = LocalTm(t, bias);
  char zone[8] = "GMT";
  if (bias != 0) {
    int a = bias < 0 ? -bias : bias;
    std::snprintf(zone, sizeof zone, "%c%02d%02d", bias < 0 ? '+' : '-', a / 60 % 100, a % 60);
  }
  char text[64];
  std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %s", kDayNames[tm.tm_wday],
                tm.tm_mday, kMonthNames[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min,
                tm.tm_sec, zone);
  return text;
}

std::string FormatMailDate(TMailTime t) {
  return FormatMailDate(t, LocalZoneBias(t));
}

std::string MakeMessageId(std::string_view domain, TMailTime now, int bias) {
  std::tm tm = LocalTm(now, bias);
  char date[32];
  std::snprintf(date, sizeof date, "%04d.%02d.%02d.", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  ClockRandom random(now, 0x4D455353414745ull);
  std::string letters;
  for (int i = 0; i < 16; ++i) letters += random.Letter(20);
  return "<VEX." + std::string(date) + letters + "@" + std::string(domain) + ">";
}

std::string MakeBoundary(TMailTime now) {
  ClockRandom random(now, 0x424F554E44ull);
  std::string boundary = "--_VEX_bound_";
  for (int i = 0; i < 12; ++i) boundary += random.Letter(25);
  return boundary;
}

std::string TMailMessage::MailDateNow() const {
  TMailTime now = Clock();
  return FormatMailDate(now, ZoneBias(now));
}

std::string TMailMessage::MakeMessageId(std::string_view domain) const {
  TMailTime now = Clock();
  return moriva::MakeMessageId(domain, now, ZoneBias(now));
}

std::string TMailMessage::MakeBoundary() const {
  return moriva::MakeBoundary(Clock());
}

void TMailMessage::FillRawMail() {
  RawMail.Clear();
  TLineList h;
  TLineList b(SplitLines(ConvertJapaneseCode(Text.Text(), jcJis)));
  size_t at = From.find('@');
  std::string domain = at == std::string::npos ? From : From.substr(at + 1);

  AddHeaderLine(h, "Message-Id: " + MakeMessageId(domain));
  AddHeaderLine(h, "Date: " + Date);
  h.Add("X-Priority: " + std::to_string(static_cast<int>(Priority) + 1));
  if (at == std::string::npos) throw Exception("\"From\" address not complete.");
  if (!UserName.empty()) {
    if (UserName != encoded_user_name_) UserName = EncodeDisplayName(UserName, kFromName.size());
    encoded_user_name_ = UserName;
    AddHeaderLine(h, std::string(kFromName) + UserName + " <" + From + ">");
  } else {
    AddHeaderLine(h, "From: " + From);
  }
  if (!InReplyTo.empty()) AddHeaderLine(h, "In-Reply-To: " + InReplyTo);
  if (!ReplyTo.empty()) AddHeaderLine(h, "Reply-To: " + ReplyTo);
  AddHeaderLine(h, "X-Mailer: " + XMailer);
  AddHeaderLine(h, "To: " + SendTo);
  if (!CC.empty()) AddHeaderLine(h, "CC: " + CC);
  h.Add("MIME-Version: 1.0");

  // The transfer ends at a line holding one dot, so body lines that begin with a dot get
  // another one.
  std::vector<std::string> body = b.Lines();
  for (std::string& line : body)
    if (!line.empty() && line[0] == '.') line.insert(0, 1, '.');

  AddHeaderLine(h, std::string(kSubjectName) + EncodeHeader(Subject, kSubjectName.size()));
  const std::string text_type = "Content-Type: text/plain; charset=" + CharSet;
  if (AttachedFiles.Empty()) {
    AddHeaderLine(h, text_type);
    h.Add("Content-Transfer-Encoding: 7bit");
  } else {
    std::string boundary = MakeBoundary();
    h.Add("Content-Type: multipart/mixed; boundary=\"" + boundary + "\"");
    std::string delimiter = "--" + boundary;
    TLineList parts;
    parts.Add(delimiter);
    AddHeaderLine(parts, text_type);
    parts.Add("Content-Transfer-Encoding: 7bit");
    parts.Add("");
    for (std::string& line : body) parts.Add(std::move(line));
    for (size_t i = 0; i < AttachedFiles.Count(); ++i) {
      TAttachedFile& file = AttachedFiles[i];
      if (!file.EncodeBase64()) throw Exception("Operation aborted");
      // The longer of the two headers that carry the name decides where it folds.
      const size_t lead = std::max(file.ContentType.size() + kTypeNameLead, kDispositionNameLead);
      std::string name(InQuotes(EncodeHeader(file.FileName, lead)));
      parts.Add(delimiter);
      AddHeaderLine(parts, "Content-Type: " + file.ContentType + "; name=\"" + name + "\"");
      parts.Add("Content-Transfer-Encoding: base64");
      AddHeaderLine(parts, "Content-Disposition: attachment; filename=\"" + name + "\"");
      parts.Add("");
      if (AttachedFiles.ProcessMessages) AttachedFiles.ProcessMessages();
      for (const std::string& line : file.EncodedLines) parts.Add(line);
    }
    parts.Add("");
    parts.Add(delimiter + "--");
    parts.Add("");
    body = parts.Lines();
  }
  for (const std::string& line : ExtraHeaders) h.Add(line);

  std::vector<std::string> raw = h.Lines();
  raw.emplace_back();
  raw.insert(raw.end(), std::make_move_iterator(body.begin()), std::make_move_iterator(body.end()));
  RawMail.Assign(std::move(raw));
}

}  // namespace moriva
