// The security words of the settings, the default ports, and what an EHLO reply offers.
#include <gtest/gtest.h>

#include "mail/EncodedWord.h"
#include "mail/MailSecurity.h"

namespace moriva {
namespace {

TEST(MailSecurityTest, WordsAndDefaultPorts) {
  using S = TMailSecurity;
  struct Row {
    const char* word;
    bool pop3;
    std::optional<S> security;
    const char* port;
  };
  const Row rows[] = {
      {"", false, S::msNone, "25"},
      {"none", false, S::msNone, "25"},
      {"starttls", false, S::msStartTls, "587"},
      {"tls", false, S::msTls, "465"},
      {"stls", false, std::nullopt, ""},
      {"", true, S::msNone, "110"},
      {"stls", true, S::msStartTls, "110"},
      {"tls", true, S::msTls, "995"},
      {"starttls", true, std::nullopt, ""},
      {"TLS", true, std::nullopt, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.word) + (r.pop3 ? " pop3" : " smtp"));
    EXPECT_EQ(ParseMailSecurity(r.word, r.pop3), r.security);
    if (!r.security) continue;
    EXPECT_EQ(r.pop3 ? DefaultPop3Port(*r.security) : DefaultSmtpPort(*r.security), r.port);
    if (*r.word) EXPECT_EQ(MailSecurityWord(*r.security, r.pop3), r.word);
  }
}

TEST(MailSecurityTest, EhloLinesGiveStartTlsAndTheFirstSpokenMechanism) {
  struct Row {
    std::vector<const char*> lines;
    bool startTls;
    const char* mechanism;
  };
  const Row rows[] = {
      {{"SIZE 1000", "STARTTLS", "AUTH LOGIN PLAIN"}, true, "LOGIN"},
      {{"auth cram-md5 plain", "starttls"}, true, "PLAIN"},
      {{"AUTH=LOGIN", "8BITMIME"}, false, "LOGIN"},
      {{"AUTH CRAM-MD5 XOAUTH2"}, false, ""},
      {{"STARTTLSX", "X-AUTH PLAIN", "STARTTLS now"}, false, ""},
      {{}, false, ""},
  };
  for (const Row& r : rows) {
    TSmtpExtensions e;
    for (const char* line : r.lines) e.AddLine(line);
    SCOPED_TRACE(r.lines.empty() ? "none" : r.lines[0]);
    EXPECT_EQ(e.StartTls, r.startTls);
    EXPECT_EQ(ChooseAuthMechanism(e), r.mechanism);
  }
  // Checked against the form RFC 4616 gives: NUL user NUL password, in base64.
  EXPECT_EQ(AuthPlainResponse("tim", "tanstaaftanstaaf"), "AHRpbQB0YW5zdGFhZnRhbnN0YWFm");
  EXPECT_EQ(Base64DecodeText(AuthPlainResponse("u", "p")), std::string("\0u\0p", 4));
}

}  // namespace
}  // namespace moriva
