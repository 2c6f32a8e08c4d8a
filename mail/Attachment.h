#pragma once
// Attachments and their codecs. An attachment travels inside a mail as text lines
// (EncodedLines: base64 or uuencoded) and lives in the program as bytes (Body). Composition
// encodes with base64; parsing decodes base64, uuencode and quoted-printable text; the
// receive road saves decoded attachments to files.
//
// All codec work happens in memory: no work files are written, so two codecs at once never
// meet and nothing is ever left behind in a shared folder.
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/LineList.h"
#include "mail/CodecStreams.h"

namespace moriva {

// The table ContentTypeOf consults when no other is named.
inline constexpr const char* kMimeTypesFile = "/etc/mime.types";

// The content type for a file name: the extension (after the last "." of the last path
// component) is looked up, ignoring letter case, in a table of lines "type ext ext ..."
// ("#" starts a comment). A name without extension, an extension not listed, or a missing
// table give "application/octet-stream".
std::string ContentTypeOf(std::string_view path,
                          const std::filesystem::path& mimeTypes = kMimeTypesFile);

// Quoted-printable decoding for mail text and header values: "_" becomes a blank; "=" with
// a line end after it is a soft break ("=" CR LF, "=" LF and "=" CR all vanish); "=" and two
// hexadecimal digits (either case) give that byte, "=" and any other two characters give
// "@"; a "=" with fewer than two characters after it ends the text there.
std::string DecodeQuotedText(std::string_view text);

// Uudecodes a block whose first line is the "begin" line (skipped). Data lines follow until
// a line "end", a line holding one backquote, or the last line. The first character of a
// line gives its byte count (a count above 45 is taken as 45); up to 60 characters after it
// carry the data, further ones are ignored, missing ones count as zero bits. Throws Exception
// "Oops..." for a character that is neither a blank nor in "`!\"#...^_" (codes 32-96).
std::string DecodeUUBlock(const TLineList& lines);

class TAttachedFile {
 public:
  TAttachedFile() = default;
  TAttachedFile(const TAttachedFile&) = delete;
  TAttachedFile& operator=(const TAttachedFile&) = delete;

  std::string FileName;    // the name shown and written into the mail (CP932)
  std::string FilePath;    // where the content is read from when Body is empty
  TLineList EncodedLines;  // the content as base64 or uuencoded lines, without line ends
  std::string ContentType;
  // Checked between blocks of EncodeBase64, which stops when it is set; cleared at its start.
  bool Cancelled = false;
  // Called between blocks while encoding and after each line while decoding, so the window
  // stays live and a cancel can be seen. May be empty.
  std::function<void()> ProcessMessages;

  // The content buffer. There is none until something fills it; Body() makes an empty one
  // if needed and hands it out positioned at its start.
  bool HasBody() const { return body_ != nullptr; }
  TMemoryStream& Body();
  // The content bytes (empty when there is no buffer).
  const std::string& BodyBytes() const;
  void SetBody(std::string bytes);

  // Fills EncodedLines with the base64 lines of the content: of Body when it holds bytes,
  // otherwise of the file at FilePath, which is then loaded into Body as well. Returns false
  // when Cancelled stopped it; EncodedLines is then unchanged. A file that cannot be read
  // throws EFileError and changes nothing.
  bool EncodeBase64();
  // Body := the base64 decoding of EncodedLines.
  void DecodeBase64();
  // Body := the base64 decoding of `lines` (EncodedLines is left alone).
  void DecodeBase64(std::span<const std::string> lines);
  // Body := the uudecoding of EncodedLines (see DecodeUUBlock); on "Oops..." Body is
  // unchanged.
  void DecodeUU();
  // Writes Body to `path`, atomically. Throws Exception "AttachedFile.Body = nil" when there
  // is no content buffer, EFileError when the file cannot be written.
  void SaveToFile(const std::filesystem::path& path,
                  TFileAccess access = TFileAccess::FollowUmask) const;

 private:
  void Pump() const {
    if (ProcessMessages) ProcessMessages();
  }
  std::unique_ptr<TMemoryStream> body_;
};

// The attachments of one message, in order (index from 0). Items are owned by the
// collection and stay at their addresses until deleted or cleared.
class TAttachedFiles {
 public:
  TAttachedFiles() = default;
  TAttachedFiles(const TAttachedFiles&) = delete;
  TAttachedFiles& operator=(const TAttachedFiles&) = delete;

  // Appends an item with FileName := the last component of `path`, FilePath := `path`,
  // ContentType := ContentTypeOf(path, MimeTypesFile), ProcessMessages := ours.
  TAttachedFile& Add(const std::string& path);
  size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  // EListError "List index out of bounds (i)" outside 0..Count-1.
  TAttachedFile& Items(size_t index);
  const TAttachedFile& Items(size_t index) const;
  TAttachedFile& operator[](size_t index) { return Items(index); }
  const TAttachedFile& operator[](size_t index) const { return Items(index); }
  void Delete(size_t index);
  void Clear() { items_.clear(); }

  // Handed to every item added from now on; composition also calls it once per attachment.
  std::function<void()> ProcessMessages;
  std::filesystem::path MimeTypesFile = kMimeTypesFile;

 private:
  std::vector<std::unique_ptr<TAttachedFile>> items_;
};

}  // namespace moriva
