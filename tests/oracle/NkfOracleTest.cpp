// ConvertJapaneseCode and DetectJapaneseCode against nkf on a corpus of Japanese text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Cp932.h"
#include "mail/JapaneseCodes.h"
#include "tests/oracle/OracleTool.h"

using namespace moriva;
using moriva::oracle::RunWithInput;
using moriva::oracle::TempDir;

namespace {

// Text as users write it: kanji, both kana, half-width kana with sound marks, symbols, full-
// width and plain ASCII, line ends of both kinds. UTF-8 here; the tests use it as Shift-JIS.
const char* const kCorpus[] = {
    "今日の予定は会議です。",
    "明日 10:00 から東京本社で打ち合わせ（資料持参）",
    "半角：ｶﾞｷﾞｸﾞｹﾞｺﾞ ﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞ ﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ ｳﾞｧｲｵﾘﾝ",
    "記号：｡｢ｶﾀｶﾅ｣､･ｰ ｱﾞ ｶﾟ ｦﾝ",
    "全部：｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ",
    "価格～１０００円 ― 税込み ¥500 ￥600 ※注意 〒100-0001 ☆★○●◎",
    "ＡＢＣ全角英数字１２３ and ASCII mixed, \"quotes\" & <tags> #1",
    "一行目\r\n二行目\r\n\r\nthird line\r\n最後の行",
    "ひらがな\nカタカナ\nゐゑを ヴヵヶ\n",
    "αβγ ΑΒΓ абв ─│┌┐ 〆々仝",
    "予定\nabc\n定例会議（毎週月曜）",
    "ん。を、ン",
    "腕鰯黒龍 熙 凜 堯 槇 遙 瑤",
    "plain ASCII only, nothing else",
};

std::string Sjis(const char* utf8) {
  return Utf8ToCp932(utf8);
}

// nkf ends a run with ESC ( B (ASCII) and closes a run at the end of the text; we end runs
// with ESC ( J (JIS-Roman) and add nothing at the end. Both mean the same bytes here.
std::string NormaliseJis(std::string jis) {
  for (size_t p; (p = jis.find("\x1B(B")) != std::string::npos;) jis[p + 2] = 'J';
  if (jis.ends_with("\x1B(J")) jis.resize(jis.size() - 3);
  return jis;
}

// nkf's name for our code value.
const char* GuessName(int code) {
  switch (code) {
    case jcAscii:
      return "ASCII";
    case jcJis:
      return "ISO-2022-JP";
    case jcEuc:
      return "EUC-JP";
    case jcSjis:
      return "Shift_JIS";
    default:
      return "?";
  }
}

std::string Guess(const TempDir& dir, const std::string& text) {
  std::string g = RunWithInput(dir, "nkf --guess", text);
  return g.substr(0, g.find_first_of(" \n"));
}

class NkfOracle : public testing::TestWithParam<const char*> {
 protected:
  // nkf without MIME decoding: the corpus is plain text.
  std::string Nkf(const std::string& options, const std::string& input) {
    return RunWithInput(dir_, "nkf -m0 " + options, input);
  }
  TempDir dir_;
};

TEST_P(NkfOracle, DetectionAgrees) {
  const std::string sjis = Sjis(GetParam());
  const std::string jis = Nkf("-j -S", sjis);
  const std::string euc = Nkf("-e -x -S", sjis);
  for (const std::string* text : {&sjis, &jis, &euc}) {
    SCOPED_TRACE(testing::PrintToString(*text));
    std::string guess = Guess(dir_, *text);
    int code = DetectJapaneseCode(*text);
    if (code == jcEucOrSjis)  // undecided is right only where nkf saw one of the two
      EXPECT_TRUE(guess == "EUC-JP" || guess == "Shift_JIS") << guess;
    else
      EXPECT_EQ(guess, GuessName(code));
  }
}

TEST_P(NkfOracle, ConversionsAgree) {
  const std::string sjis = Sjis(GetParam());
  ASSERT_EQ(sjis.find('?'), std::string::npos);  // the corpus is all code page 932

  // From Shift-JIS (half-width kana stay half-width in EUC, become full-width in JIS).
  const std::string jis = Nkf("-j -S", sjis);
  const std::string euc = Nkf("-e -x -S", sjis);
  EXPECT_EQ(NormaliseJis(ConvertJapaneseCode(sjis, jcJis)), NormaliseJis(jis));
  EXPECT_EQ(ConvertJapaneseCode(sjis, jcEuc), euc);

  // From JIS, as another mailer writes it (ESC ( B, closed at the end).
  EXPECT_EQ(ConvertJapaneseCode(jis, jcSjis), Nkf("-s -J", jis));
  EXPECT_EQ(ConvertJapaneseCode(jis, jcEuc), Nkf("-e -J", jis));

  // From EUC-JP. Short EUC text may not be told from Shift-JIS; then it must stay as it is,
  // and the direct conversions still have to agree.
  const std::string euc_sjis = Nkf("-s -x -E", euc);
  const std::string euc_jis = Nkf("-j -E", euc);
  EXPECT_EQ(EucToSjis(euc), euc_sjis);
  EXPECT_EQ(NormaliseJis(EucToJis(euc)), NormaliseJis(euc_jis));
  if (DetectJapaneseCode(euc) == jcEuc) {
    EXPECT_EQ(ConvertJapaneseCode(euc, jcSjis), euc_sjis);
    EXPECT_EQ(NormaliseJis(ConvertJapaneseCode(euc, jcJis)), NormaliseJis(euc_jis));
  } else if (DetectJapaneseCode(euc) == jcEucOrSjis) {
    EXPECT_EQ(ConvertJapaneseCode(euc, jcSjis), euc);
  }
  EXPECT_EQ(euc_sjis, sjis);  // nkf's own round trip, so the corpus itself is sound
}

INSTANTIATE_TEST_SUITE_P(Corpus, NkfOracle, testing::ValuesIn(kCorpus));

TEST(NkfOracleWhole, LongTextInEveryDirection) {
  TempDir dir;
  std::string sjis;
  for (int i = 0; i < 40; ++i)
    for (const char* line : kCorpus) sjis += Sjis(line) + "\r\n";
  const std::string jis = RunWithInput(dir, "nkf -m0 -j -S", sjis);
  const std::string euc = RunWithInput(dir, "nkf -m0 -e -x -S", sjis);
  EXPECT_EQ(Guess(dir, sjis), "Shift_JIS");
  EXPECT_EQ(DetectJapaneseCode(sjis), jcSjis);
  EXPECT_EQ(DetectJapaneseCode(jis), jcJis);
  EXPECT_EQ(DetectJapaneseCode(euc), jcEuc);
  EXPECT_EQ(NormaliseJis(ConvertJapaneseCode(sjis, jcJis)), NormaliseJis(jis));
  EXPECT_EQ(ConvertJapaneseCode(sjis, jcEuc), euc);
  EXPECT_EQ(ConvertJapaneseCode(jis, jcSjis), RunWithInput(dir, "nkf -m0 -s -J", jis));
  EXPECT_EQ(ConvertJapaneseCode(jis, jcEuc), RunWithInput(dir, "nkf -m0 -e -J", jis));
  EXPECT_EQ(ConvertJapaneseCode(euc, jcSjis), sjis);
  EXPECT_EQ(NormaliseJis(ConvertJapaneseCode(euc, jcJis)), NormaliseJis(jis));
}

// Code page 932 writes the IBM extensions twice; in JIS they take the codes of their NEC-
// selected twins, as nkf writes them (髙 FB FC and ED 93 both as 7C 62). Characters JIS X 0208
// lacks (user-defined ones, which nkf drops) become 〓, so no byte of a run leaves 21-7E.
TEST(NkfOracleWhole, IbmExtensionsAsNkfWritesThemAndEveryRunStaysInJisRange) {
  TempDir dir;
  std::string ibm = Sjis("髙橋 﨑山 ⅰⅹ Ⅰ ￢ ∵ ㈱ № ℡ ＇＂ 纊褜");
  for (int code = 0xFA40; code <= 0xFC4B; ++code)
    if ((code & 0xFF) >= 0x40 && (code & 0xFF) <= 0xFC && (code & 0xFF) != 0x7F)
      ibm += {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
  // Converted directly, as header words are: a text that begins with FA-FC reads as EUC-JP to
  // the code detection.
  EXPECT_EQ(NormaliseJis(SjisToJis(ibm)), NormaliseJis(RunWithInput(dir, "nkf -m0 -j -S", ibm)));
  EXPECT_EQ(SjisToJis("\xF0\x40\xF9\xFC"), "\x1B$B\x22\x2E\x22\x2E");

  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead < 0xE0) continue;
    std::string row;
    for (int trail = 0x40; trail <= 0xFC; ++trail)
      if (trail != 0x7F) row += {static_cast<char>(lead), static_cast<char>(trail)};
    const std::string jis = SjisToJis(row);
    SCOPED_TRACE(lead);
    ASSERT_TRUE(jis.starts_with("\x1B$B"));
    EXPECT_EQ(jis.size(), 3 + row.size());
    EXPECT_TRUE(
        std::all_of(jis.begin() + 3, jis.end(), [](char c) { return c >= 0x21 && c <= 0x7E; }));
  }
}

}  // namespace
