#include "mail/AttachmentName.h"

#include "base/Cp932.h"
#include "mail/HeaderText.h"

namespace moriva {
namespace {

constexpr std::string_view kRemoved = "\\/:*?\"<>|";
constexpr size_t kMaxKeptExtension = 16;

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Replaces the extension of a file name (from its last ".", when no delimiter follows it),
// or adds one.
std::string ChangeExtension(std::string_view name, std::string_view ext) {
  size_t dot = name.find_last_of(".\\/:");
  if (dot != std::string_view::npos && name[dot] == '.') name = name.substr(0, dot);
  return std::string(name) + std::string(ext);
}

std::string_view ExtensionFor(std::string_view contentType) {
  if (contentType == "TEXT/HTML") return ".html";
  if (contentType == "IMAGE/JPEG") return ".jpeg";
  if (contentType == "IMAGE/GIF") return ".gif";
  return {};
}

// Removes the characters a file name must not hold. In UTF-8 every byte below 0x80 is a
// character of its own, so this never cuts into a multi-byte character.
std::string RemoveForbidden(std::string_view name) {
  std::string out;
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || kRemoved.find(c) != std::string_view::npos) continue;
    out += c;
  }
  return out;
}

std::string TrimBlanks(const std::string& name) {
  size_t first = name.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

// Shortens `name` to at most `limit` bytes on a character boundary, keeping a short extension.
std::string Shorten(const std::string& name, size_t limit) {
  if (name.size() <= limit) return name;
  std::string ext;
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0 && name.size() - dot <= kMaxKeptExtension)
    ext = name.substr(dot);
  size_t cut = limit - ext.size();
  while (cut > 0 && IsContinuation(static_cast<unsigned char>(name[cut]))) --cut;
  return name.substr(0, cut) + ext;
}

}  // namespace

std::string AttachmentFileName(std::string_view fileName, std::string_view contentType,
                               std::string_view subject) {
  std::string name;
  if (fileName.empty()) {
    name = Cp932ToUtf8(subject);
    if (std::string_view ext = ExtensionFor(contentType); !ext.empty())
      name = ChangeExtension(name, ext);
  } else {
    name = MailTextToUtf8(fileName);
  }
  name = TrimBlanks(RemoveForbidden(name));
  // The cut may fall just after a blank inside the name; it must not end the name.
  name = TrimBlanks(Shorten(name, kMaxAttachmentNameBytes));
  if (name.find_first_not_of('.') == std::string::npos) return std::string(kFallbackAttachmentName);
  return name;
}

}  // namespace moriva
