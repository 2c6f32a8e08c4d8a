#pragma once
// The file name under which a received attachment is kept. Names come from untrusted mail,
// so the result is always one plain file name in the file system's encoding (UTF-8): never
// empty, never "." or "..", never holding a path delimiter, a drive colon or a control
// character, and short enough for the file system.
#include <string>
#include <string_view>

namespace moriva {

// The name used when nothing usable is left of the mail's own name.
inline constexpr std::string_view kFallbackAttachmentName = "attachment";
// Longest name in bytes; leaves room for the temporary name of an atomic save.
inline constexpr size_t kMaxAttachmentNameBytes = 200;

// The stored name of an attachment whose part declared `fileName` (decoded, UTF-8 or any code
// MailTextToUtf8 reads; may be empty) with content type `contentType` (upper case) in a mail
// with `subject` (decoded, CP932).
// Without a declared name the subject is used, its extension changed to ".html", ".jpeg" or
// ".gif" for "TEXT/HTML", "IMAGE/JPEG" and "IMAGE/GIF". Then, character by character, the
// characters \ / : * ? " < > | and control characters are removed, blanks at both ends are
// trimmed, and an over-long name is shortened (keeping a short extension). A name that is
// then empty or made only of dots becomes kFallbackAttachmentName.
std::string AttachmentFileName(std::string_view fileName, std::string_view contentType,
                               std::string_view subject);

}  // namespace moriva
