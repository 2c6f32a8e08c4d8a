// Reading one typed line for the quick-add box, over a table of 100 phrases of every kind the
// reader takes (days, times, places, series, full-width and kanji numbers, refusals). The box
// reads the whole line again at every keystroke, so one reading has to stay far below what a
// person notices.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/Cp932.h"
#include "schedule/QuickAdd.h"

using namespace moriva;

namespace {

const std::vector<std::string>& Phrases() {
  static const std::vector<std::string> phrases = [] {
    std::vector<std::string> list;
    for (const char* p : {"明日15時 歯医者 @駅前",
                          "来週水曜 午前10時 健診 @市民病院",
                          "毎週火曜 10時 定例",
                          "会議",
                          "今日 会議",
                          "本日の会議",
                          "明日 資料作成",
                          "あした 9時 電話",
                          "明後日 9:30 打合せ",
                          "あさって 打合せ",
                          "3日後 レポート提出",
                          "三日後 返却",
                          "今週金曜 飲み会",
                          "今週の火曜日 面談",
                          "来週の月曜日 面談",
                          "再来週日曜 旅行",
                          "土曜 買い物",
                          "火曜 買い物",
                          "月末 締め処理",
                          "来月末 支払",
                          "3月末 決算",
                          "12/25 クリスマス会",
                          "1/10 新年会",
                          "２/２９ 閏日",
                          "12月8日 記念日",
                          "一月二日 初売り",
                          "2027/3/1 引越し",
                          "2027-04-01 入社式",
                          "2027年1月10日 成人式",
                          "令和9年1月10日 成人式",
                          "R9.1.10 成人式",
                          "令和元年5月1日 改元",
                          "15日 締切",
                          "15時半 お茶",
                          "15時45分 お茶",
                          "十五時 お茶",
                          "二十時 飲み会",
                          "午前9時 朝礼",
                          "午後3時 打合せ",
                          "朝7時 ジョギング",
                          "昼1時 会議",
                          "夕方5時 買い物",
                          "夜8時 電話",
                          "正午 ランチ",
                          "9時ごろ 来客",
                          "15:00-16:00 会議",
                          "15時〜16時 会議",
                          "15時から16時まで 会議",
                          "１５：００ 会議",
                          "今日15:30-17:00 会議 @大会議室",
                          "会議 @本社 3階",
                          "会議 ＠本社",
                          "会議 場所:第2会議室",
                          "＠駅前 歯医者",
                          "10時 会議 @A棟 明日",
                          "ＡＢＣ社 訪問 明日",
                          "明日の15時に歯医者",
                          "15時から会議",
                          "明日にんじんを買う",
                          "毎日 7時 散歩",
                          "平日 9時 朝会",
                          "毎週月水金 ジム",
                          "毎週月・水・金曜 ジム",
                          "隔週木曜 読書会",
                          "毎月25日 家賃",
                          "毎月第2火曜 定例会",
                          "毎月最終金曜 定例会",
                          "毎年5月1日 記念日",
                          "毎年2/29 誕生日",
                          "毎週火曜 定例 10回",
                          "毎日 散歩 12/31まで",
                          "毎週火曜 定例 1/12から3/30まで",
                          "毎週金曜 祝日を除く 会議",
                          "1/12から毎週火曜 定例",
                          "明日まで 宿題",
                          "1月10日〜1月12日 旅行",
                          "3回目の面談",
                          "第3会議室で打合せ 明日",
                          "明日 打合せ 明後日の準備",
                          "毎月末 支払い",
                          "今週月曜 反省会",
                          "来週 会議",
                          "2月30日 予定",
                          "25時 会議",
                          "明日15時",
                          "毎週火曜 定例 12/1まで",
                          "毎日 散歩 0回",
                          "\"引用\" 明日",
                          "a- b 明日",
                          "会議 @本社- 3階",
                          "来週金曜 19時 送別会 @いつもの店",
                          "再来週の水曜日 午後2時半 面接 @本社3階",
                          "毎月第1月曜 朝9時 全体朝礼",
                          "12月24日 夜7時 クリスマス @自宅",
                          "毎週土曜 10:00-12:00 テニス @市民コート",
                          "令和9年4月1日 入学式 @小学校",
                          "明日 午前中 宅配便",
                          "３日後 １４：３０ 打合せ ＠Ａ社",
                          "隔週金曜 18時 読書会 10回",
                          "毎年12月8日 結婚記念日 祝日を除く"})
      list.push_back(Utf8ToCp932(p));
    return list;
  }();
  return phrases;
}

// One iteration reads one phrase, the phrases in turn: the time is the mean per phrase.
void BM_ReadQuickAdd(benchmark::State& state) {
  const std::vector<std::string>& phrases = Phrases();
  const JuliusDay today = DateToJulius(2026, 12, 8);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadQuickAdd(phrases[i], today));
    i = (i + 1) % phrases.size();
  }
}
BENCHMARK(BM_ReadQuickAdd)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
