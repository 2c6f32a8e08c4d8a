// ConvertJapaneseCode and DetectJapaneseCode against nkf on a corpus of Japanese text.
#include <gtest/gtest.h>

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

}  // namespace
