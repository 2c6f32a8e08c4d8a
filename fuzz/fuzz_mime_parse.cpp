// A received mail, as the POP3 client hands it over, read by the MIME reader: header fields,
// nested multiparts, the three transfer encodings and attachment names. The mail is the
// sender's choice, so whatever it holds the reader must not throw, must not grow the data
// beyond what the encodings allow, and must only ever produce attachment names that are
// one plain file name.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Cp932.h"
#include "base/LineList.h"
#include "fuzz/FuzzSupport.h"
#include "mail/AttachmentName.h"
#include "mail/MailMessage.h"
#include "mail/MimeParser.h"

using namespace moriva;

namespace {

// The name is written as a file inside the mail folder: it must stay one name there.
void CheckFileName(const std::string& name) {
  FUZZ_CHECK(!name.empty());
  FUZZ_CHECK(name.size() <= kMaxAttachmentNameBytes);
  FUZZ_CHECK(name.find_first_not_of('.') != std::string::npos);  // not ".", "..", "..."
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    FUZZ_CHECK(u >= 0x20 && u != 0x7F);
    FUZZ_CHECK(std::string_view("\\/:*?\"<>|").find(c) == std::string_view::npos);
  }
  FUZZ_CHECK(name.front() != ' ' && name.back() != ' ');
  FUZZ_CHECK(IsValidUtf8(name));
}

bool HasUuencodedPart(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper.find("X-UUENCODE") != std::string::npos;
}

struct TSnapshot {
  std::vector<std::string> names, bodies, types;
  std::vector<std::string> text;
};

TSnapshot Take(const TMailMessage& msg, size_t firstFile, size_t firstLine) {
  TSnapshot s;
  for (size_t i = firstFile; i < msg.AttachedFiles.Count(); ++i) {
    const TAttachedFile& file = msg.AttachedFiles[i];
    s.names.push_back(file.FileName);
    s.bodies.push_back(file.BodyBytes());
    s.types.push_back(file.ContentType);
  }
  const auto& lines = msg.Text.Lines();
  s.text.assign(lines.begin() + static_cast<std::ptrdiff_t>(firstLine), lines.end());
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  const std::vector<std::string> lines = SplitLines(text);

  TMailMessage msg;
  msg.ClearRawMailAfterParse = false;
  msg.RawMail.Assign(lines);
  Parse(msg);  // anything escaping here is a finding

  FUZZ_CHECK(msg.Headers.Count() <= lines.size());
  FUZZ_CHECK(msg.AttachedFiles.Count() <= kMaxMimeParts);
  FUZZ_CHECK(msg.AttachedFiles.Count() <= lines.size() + 1);

  // Every line of the mail goes to at most one part, and each encoding gives at most as many
  // bytes as its line had, plus a line end; only a uuencoded line says its own length (up
  // to 45 bytes, even when its characters are missing).
  size_t produced = 0;
  for (const std::string& line : msg.Text.Lines()) produced += line.size() + 2;
  for (size_t i = 0; i < msg.AttachedFiles.Count(); ++i) {
    const TAttachedFile& file = msg.AttachedFiles[i];
    CheckFileName(file.FileName);
    FUZZ_CHECK(file.FilePath.empty());  // the content never comes from a file
    for (char c : file.ContentType) FUZZ_CHECK(!(c >= 'A' && c <= 'Z'));
    produced += file.BodyBytes().size();
  }
  const size_t perLine = HasUuencodedPart(text) ? 47 : 2;
  FUZZ_CHECK(produced <= text.size() + perLine * (lines.size() + 1));

  // Parsing again appends the same parts again.
  const size_t files = msg.AttachedFiles.Count(), textLines = msg.Text.Count();
  const TSnapshot first = Take(msg, 0, 0);
  Parse(msg);
  const TSnapshot second = Take(msg, files, textLines);
  FUZZ_CHECK(first.names == second.names);
  FUZZ_CHECK(first.bodies == second.bodies);
  FUZZ_CHECK(first.types == second.types);
  FUZZ_CHECK(first.text == second.text);

  msg.ClearRawMailAfterParse = true;
  msg.RawMail.Assign(lines);
  Parse(msg);
  FUZZ_CHECK(msg.RawMail.Empty());
  return 0;
}
