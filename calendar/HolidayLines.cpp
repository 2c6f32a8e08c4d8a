#include "calendar/HolidayLines.h"

#include "base/Cp932.h"

namespace moriva {

const TLineList& DefaultHolidayLines() {
  // Coming-of-Age Day and Sports Day moved from a fixed date to the second Monday in 2000.
  static const TLineList lines{
      Sj(",,1,1,,,元旦"),       Sj(",1999,1,15,,,成人の日"),  Sj("2000,,1,,2,2,成人の日"),
      Sj(",,2,11,,,建国の日"),  Sj(",,4,29,,,みどりの日"),    Sj(",,5,3,,,憲法記念日"),
      Sj(",,5,4,,,国民の休日"), Sj(",,5,5,,,こどもの日"),     Sj(",,7,20,,,海の日"),
      Sj(",,9,15,,,敬老の日"),  Sj(",1999,10,10,,,体育の日"), Sj("2000,,10,,2,2,体育の日"),
      Sj(",,11,3,,,文化の日"),  Sj(",,11,23,,,勤労感謝の日"), Sj(",,12,23,,,天皇誕生日"),
  };
  return lines;
}

}  // namespace moriva
