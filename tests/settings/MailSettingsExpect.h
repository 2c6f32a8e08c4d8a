#pragma once
// The texts of the mail settings and the APOP switch, compared one by one so that a
// failure names the field that did not come back.
#include <gtest/gtest.h>

#include "settings/MailSettings.h"

namespace moriva {

inline void ExpectSameStoredSettings(const TMailSettings& back, const TMailSettings& s) {
  EXPECT_EQ(back.HandsetEMail, s.HandsetEMail);
  EXPECT_EQ(back.SMTP, s.SMTP);
  EXPECT_EQ(back.Sender, s.Sender);
  EXPECT_EQ(back.SenderMail, s.SenderMail);
  EXPECT_EQ(back.POP, s.POP);
  EXPECT_EQ(back.UserId, s.UserId);
  EXPECT_EQ(back.Password, s.Password);
  EXPECT_EQ(back.APOP, s.APOP);
  EXPECT_EQ(back.SmtpSecurity, s.SmtpSecurity);
  EXPECT_EQ(back.PopSecurity, s.PopSecurity);
  EXPECT_EQ(back.SmtpUser, s.SmtpUser);
  EXPECT_EQ(back.SmtpPassword, s.SmtpPassword);
  EXPECT_EQ(back.CaFile, s.CaFile);
}

}  // namespace moriva
