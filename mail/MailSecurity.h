#pragma once
// How a mail client protects its connection, and the pieces of the SMTP dialogue that depend
// on it: the server's EHLO extensions and the AUTH responses.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moriva {

enum class TMailSecurity {
  msNone,      // plain text, as mail was always sent and fetched
  msStartTls,  // plain connect, then STARTTLS (SMTP) or STLS (POP3) before anything else
  msTls,       // TLS from the first byte
};

// The settings words: "none", "starttls" (SMTP) or "stls" (POP3), "tls". An empty text is
// "none" (settings from before TLS). Anything else is no setting at all.
std::optional<TMailSecurity> ParseMailSecurity(std::string_view text, bool pop3);
std::string_view MailSecurityWord(TMailSecurity security, bool pop3);

// The port used when the server setting names none: SMTP 25 / 587 / 465, POP3 110 / 110 / 995.
std::string_view DefaultSmtpPort(TMailSecurity security);
std::string_view DefaultPop3Port(TMailSecurity security);

// What a server's EHLO reply offers, gathered from its lines after the first (the greeting).
struct TSmtpExtensions {
  bool StartTls = false;
  std::vector<std::string> AuthMechanisms;  // upper case, in the server's order
  // One reply line's text after the code and its separator, e.g. "AUTH LOGIN PLAIN".
  void AddLine(std::string_view text);
};

// The mechanism to log in with: the first the server lists of those spoken here (PLAIN,
// LOGIN); empty when it lists neither.
std::string ChooseAuthMechanism(const TSmtpExtensions& extensions);

// The AUTH PLAIN response: base64 of NUL, user, NUL, password.
std::string AuthPlainResponse(std::string_view user, std::string_view password);

}  // namespace moriva
