#include "mail/Attachment.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "base/FileIO.h"
#include "base/PercentCoding.h"

namespace moriva {
namespace {

constexpr const char* kDefaultContentType = "application/octet-stream";
constexpr size_t kEncodeBlock = 1024;
constexpr size_t kUuLineBytes = 45;
constexpr size_t kUuLineChars = 60;

// The 6-bit value of a uuencoding character: the backquote and the blank both stand for 0,
// "!" to "_" for 1 to 63.
unsigned char UuValue(char ch) {
  auto c = static_cast<unsigned char>(ch);
  if (c < 32 || c > 96) throw Exception("Oops...");
  return static_cast<unsigned char>((c - 32) & 0x3F);
}

// The bytes of one uuencoded data line, written to `out`.
void DecodeUULine(std::string_view line, std::string& out) {
  if (line.empty()) return;
  size_t count = std::min<size_t>(UuValue(line[0]), kUuLineBytes);
  size_t nchars = std::min(kUuLineChars, line.size() - 1);
  // Characters beyond what the line holds count as cleared bits.
  unsigned char bytes[kUuLineBytes] = {};
  for (size_t k = 0; k < nchars; ++k) {
    unsigned v = UuValue(line[1 + k]);
    size_t bit = k * 6;
    size_t i = bit / 8, shift = bit % 8;
    // Six bits starting `shift` bits into byte i, most significant first.
    unsigned wide = v << (10 - shift);
    bytes[i] |= static_cast<unsigned char>(wide >> 8);
    if (i + 1 < kUuLineBytes) bytes[i + 1] |= static_cast<unsigned char>(wide & 0xFF);
  }
  out.append(reinterpret_cast<const char*>(bytes), count);
}

std::string LowerAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

}  // namespace

std::string ContentTypeOf(std::string_view path, const std::filesystem::path& mimeTypes) {
  std::string_view name = path.substr(path.find_last_of('/') + 1);
  size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return kDefaultContentType;
  std::string ext = LowerAscii(name.substr(dot + 1));
  std::ifstream in(mimeTypes);
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string type, word;
    if (!(words >> type)) continue;
    while (words >> word)
      if (LowerAscii(word) == ext) return type;
  }
  return kDefaultContentType;
}

std::string DecodeQuotedText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '_') {
      out += ' ';
    } else if (c != '=') {
      out += c;
    } else if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n')) {
      // A soft break: the "=" and its line end vanish, and nothing after the line end.
      i += (text[i + 1] == '\r' && i + 2 < text.size() && text[i + 2] == '\n') ? 2 : 1;
    } else if (i + 2 < text.size()) {
      int hi = HexDigitValue(text[i + 1]), lo = HexDigitValue(text[i + 2]);
      out += (hi < 0 || lo < 0) ? '@' : static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      break;
    }
  }
  return out;
}

std::string DecodeUUBlock(const TLineList& lines) {
  std::string out;
  for (size_t i = 1; i < lines.Count(); ++i) {
    const std::string& line = lines[i];
    if (line == "end" || line == "`") break;
    DecodeUULine(line, out);
  }
  return out;
}

// ---- TAttachedFile ----

TMemoryStream& TAttachedFile::Body() {
  if (!body_) body_ = std::make_unique<TMemoryStream>();
  body_->Seek(0, soBeginning);
  return *body_;
}

const std::string& TAttachedFile::BodyBytes() const {
  static const std::string kNone;
  return body_ ? body_->Bytes() : kNone;
}

void TAttachedFile::SetBody(std::string bytes) {
  body_ = std::make_unique<TMemoryStream>(std::move(bytes));
}

bool TAttachedFile::EncodeBase64() {
  Cancelled = false;
  bool from_file = BodyBytes().empty();
  std::string file_bytes;
  if (from_file) file_bytes = ReadFileBytes(FilePath);
  std::string_view source = from_file ? std::string_view(file_bytes) : BodyBytes();

  TMemoryStream text;
  {
    TBase64EncodingStream encoder(text);
    size_t offset = 0;
    for (;;) {
      Pump();
      if (Cancelled) return false;
      size_t n = std::min(kEncodeBlock, source.size() - offset);
      encoder.Write(source.data() + offset, n);
      offset += n;
      if (n < kEncodeBlock) break;
    }
    encoder.Finish();
  }
  EncodedLines.Assign(SplitLines(text.Bytes()));
  if (from_file) SetBody(std::move(file_bytes));
  return true;
}

void TAttachedFile::DecodeBase64() {
  DecodeBase64(EncodedLines.Lines());
}

void TAttachedFile::DecodeBase64(std::span<const std::string> lines) {
  size_t encoded = 0;
  for (const std::string& line : lines) encoded += line.size();
  TMemoryStream bytes;
  bytes.Reserve(encoded / 4 * 3 + 3);  // no copying of the buffer as it grows
  TBase64DecodingStream decoder(bytes);
  for (const std::string& line : lines) {
    decoder.Write(line);
    Pump();
  }
  SetBody(bytes.TakeBytes());
}

void TAttachedFile::DecodeUU() {
  SetBody(DecodeUUBlock(EncodedLines));
}

void TAttachedFile::SaveToFile(const std::filesystem::path& path, TFileAccess access) const {
  if (!body_) throw Exception("AttachedFile.Body = nil");
  WriteFileAtomically(path, body_->Bytes(), access);
}

// ---- TAttachedFiles ----

TAttachedFile& TAttachedFiles::Add(const std::string& path) {
  auto item = std::make_unique<TAttachedFile>();
  item->FileName = path.substr(path.find_last_of('/') + 1);
  item->FilePath = path;
  item->ContentType = ContentTypeOf(path, MimeTypesFile);
  item->ProcessMessages = ProcessMessages;
  items_.push_back(std::move(item));
  return *items_.back();
}

TAttachedFile& TAttachedFiles::Items(size_t index) {
  if (index >= items_.size())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return *items_[index];
}

const TAttachedFile& TAttachedFiles::Items(size_t index) const {
  return const_cast<TAttachedFiles*>(this)->Items(index);
}

void TAttachedFiles::Delete(size_t index) {
  Items(index);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace moriva
