#include "mail/MailSecurity.h"

#include "mail/EncodedWord.h"

namespace moriva {

namespace {

std::string Upper(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// The blank-separated words of a line (tabs count as blanks).
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) words.emplace_back(text.substr(start, i - start));
  }
  return words;
}

}  // namespace

std::optional<TMailSecurity> ParseMailSecurity(std::string_view text, bool pop3) {
  if (text.empty() || text == "none") return TMailSecurity::msNone;
  if (text == (pop3 ? "stls" : "starttls")) return TMailSecurity::msStartTls;
  if (text == "tls") return TMailSecurity::msTls;
  return std::nullopt;
}

std::string_view MailSecurityWord(TMailSecurity security, bool pop3) {
  switch (security) {
    case TMailSecurity::msStartTls:
      return pop3 ? "stls" : "starttls";
    case TMailSecurity::msTls:
      return "tls";
    default:
      return "none";
  }
}

std::string_view DefaultSmtpPort(TMailSecurity security) {
  switch (security) {
    case TMailSecurity::msStartTls:
      return "587";
    case TMailSecurity::msTls:
      return "465";
    default:
      return "25";
  }
}

std::string_view DefaultPop3Port(TMailSecurity security) {
  return security == TMailSecurity::msTls ? "995" : "110";
}

void TSmtpExtensions::AddLine(std::string_view text) {
  std::vector<std::string> words = Words(text);
  if (words.empty()) return;
  std::string keyword = Upper(words[0]);
  if (keyword == "STARTTLS" && words.size() == 1) StartTls = true;
  // Old servers still write "AUTH=LOGIN PLAIN".
  if (keyword.rfind("AUTH=", 0) == 0) {
    words[0] = keyword.substr(5);
    keyword = "AUTH";
  } else if (keyword == "AUTH") {
    words.erase(words.begin());
  } else {
    return;
  }
  for (const std::string& word : words) {
    std::string mechanism = Upper(word);
    if (mechanism.empty()) continue;
    bool known = false;
    for (const std::string& m : AuthMechanisms) known = known || m == mechanism;
    if (!known) AuthMechanisms.push_back(std::move(mechanism));
  }
}

std::string ChooseAuthMechanism(const TSmtpExtensions& extensions) {
  for (const std::string& m : extensions.AuthMechanisms)
    if (m == "PLAIN" || m == "LOGIN") return m;
  return {};
}

std::string AuthPlainResponse(std::string_view user, std::string_view password) {
  std::string token;
  token += '\0';
  token += user;
  token += '\0';
  token += password;
  return Base64EncodeText(token);
}

}  // namespace moriva
