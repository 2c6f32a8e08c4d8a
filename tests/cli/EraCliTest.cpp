// moriva-cli era: both directions, and what it says about dates no era holds.
#include <gtest/gtest.h>

#include "tests/support/CliRun.h"

namespace moriva {
namespace {

class EraCliTest : public TCliTest {
 protected:
  EraCliTest() : TCliTest("moriva_era") {}
};

TEST_F(EraCliTest, ConvertsBothWaysAndRefusesDatesOutsideTheEras) {
  struct {
    const char* arg;
    int code;
    const char* out;  // stdout, or the start of stderr when the code is not 0
  } const cases[] = {
      {"2019-05-01", 0, "令和元年5月1日\n"},
      {"1989-01-07", 0, "昭和64年1月7日\n"},
      {"令和9年1月10日", 0, "2027-01-10\n"},
      {"R9.1.10", 0, "2027-01-10\n"},
      {"H31.4.30", 0, "2019-04-30\n"},
      {"S64.1.7", 0, "1989-01-07\n"},
      {"T1.7.30", 0, "1912-07-30\n"},
      {"M45.7.29", 0, "1912-07-29\n"},
      {"1868-01-24", 1, "moriva-cli era: '1868-01-24' lies before 明治 (1868-01-25)\n"},
      {"平成32年1月1日", 1,
       "moriva-cli era: '平成32年1月1日' is no day of 平成 (1989-01-08 to 2019-04-30)\n"},
      {"昭和64年1月8日", 1, "moriva-cli era: '昭和64年1月8日' is no day of 昭和"},
      {"R1.4.30", 1, "moriva-cli era: 'R1.4.30' is no day of 令和 (from 2019-05-01)\n"},
      {"2019-02-30", 2, "moriva-cli era: '2019-02-30' is no valid date"},
      {"Q1.1.1", 2, "moriva-cli era: 'Q1.1.1' is neither"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arg);
    const TCliRun r = Run(std::string("era '") + c.arg + "'");
    EXPECT_EQ(r.code, c.code);
    if (c.code == 0)
      EXPECT_EQ(r.out, c.out);
    else
      EXPECT_EQ(r.err.rfind(c.out, 0), 0u) << r.err;
  }
}

}  // namespace
}  // namespace moriva
