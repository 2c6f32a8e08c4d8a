#include "schedule/ScheduleEditor.h"

#include <optional>

#include "schedule/Agenda.h"
#include "schedule/ScheduleLine.h"
#include "schedule/ScheduleModel.h"

namespace moriva {
namespace {

constexpr std::string_view kNoItemsMessage = "予定はありません。";
constexpr std::string_view kDeleteQuestion = "この予定を削除します。よろしいですか？";
constexpr std::string_view kWarningCaption = "警告";
constexpr std::string_view kChangeSeriesQuestion = "繰り返しの予定です。どの日を変更しますか？";
constexpr std::string_view kDeleteSeriesQuestion = "繰り返しの予定です。どの日を削除しますか？";
constexpr std::string_view kBadRuleMessage =
    "繰り返しの設定が正しくありません（終了日が開始日より前、回数や間隔が範囲外など）。";
constexpr std::string_view kScopeButtons[3] = {"この日だけ", "この日以降", "すべて"};

// The series on a line, when the line is a readable one.
std::optional<TSeries> SeriesOnLine(std::string_view line) {
  TSeries series;
  if (ParseSeriesLine(line, series) != TSeriesLineKind::Series) return std::nullopt;
  return series;
}

// The node of a stored line as the tree shows it after a write.
TItemNode NodeOfLine(size_t index, std::string_view line) {
  TItemNode node;
  node.Index = index;
  const std::string itemText = GetItemText(line);
  if (std::optional<TItemParts> parts = SplitItemText(itemText)) {
    node.Text = ItemNodeText(parts->Subject, parts->Place, parts->Time);
    node.Alarm = parts->Alarm();
  } else {
    node.Text = ItemNodeText(itemText, "", "");
  }
  return node;
}

// The text after the fourth "- " (the same left-to-right scan that splits the parts), which
// the fields do not edit and a rewrite must keep; nullopt for a text of four parts or fewer.
std::optional<std::string> TextAfterFourParts(std::string_view itemText) {
  size_t p = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t hit = itemText.find(kItemSeparator, p);
    if (hit == std::string_view::npos) return std::nullopt;
    p = hit + kItemSeparator.size();
  }
  return std::string(itemText.substr(p));
}

}  // namespace

TScheduleEditor::TScheduleEditor(TLineList& list, int32_t year, int month, int day,
                                 TDialogs& dialogs)
    : list_(list), year_(year), month_(month), day_(day), dialogs_(dialogs) {}

void TScheduleEditor::UseModel(TScheduleModel& model) {
  model_ = &model;
}

JuliusDay TScheduleEditor::Today() const {
  return DateToJulius(year_, static_cast<uint8_t>(month_), static_cast<uint8_t>(day_));
}

void TScheduleEditor::Open() {
  ClearFields();
  FillTree();
  if (!nodes_.empty()) Select(0);
}

void TScheduleEditor::FillTree() {
  nodes_.clear();
  const std::vector<TDayItem> items =
      model_ ? ListDayItemsWithSeries(year_, month_, day_, list_, model_->Rules())
             : ListDayItems(year_, month_, day_, list_);
  for (const TDayItem& item : items)
    nodes_.push_back(TItemNode{item.Index, ItemNodeText(item.Subject, item.Place, item.Time),
                               item.Alarm(), item.Repeating});
  selected_ = -1;
  ++generation_;
}

void TScheduleEditor::ClearFields() {
  Fields = TItemFields{};
  edit_index_ = -1;
  series_id_.clear();
  shown_ = Fields;
  tail_.reset();
  shown_not_item_ = false;
}

void TScheduleEditor::Select(int node) {
  selected_ = (node >= 0 && static_cast<size_t>(node) < nodes_.size()) ? node : -1;
  ShowSelected();
}

void TScheduleEditor::ShowSelected() {
  if (selected_ < 0) return;
  const TItemNode& node = nodes_[static_cast<size_t>(selected_)];
  if (node.Index >= list_.Count()) return;
  const std::optional<TSeries> series =
      node.Repeating ? SeriesOnLine(list_[node.Index]) : std::nullopt;
  if (!series) {
    ShowItemText(GetItemText(list_[node.Index]), static_cast<int>(node.Index));
    return;
  }
  ShowItemText(series->Text, static_cast<int>(node.Index));
  Fields.Repeat = FieldsOfRule(series->Rule);
  shown_ = Fields;
  series_id_ = series->Id;
}

void TScheduleEditor::ShowItemText(std::string_view itemText, int index) {
  const std::optional<TItemParts> parts = SplitItemText(itemText);
  if (parts) {
    Fields.Subject = parts->Subject;
    Fields.Place = parts->Place;
    Fields.AllDay = IsAllDayTime(parts->Time);
    if (Fields.AllDay) {
      Fields.Hour = 0;
      Fields.Minute = 0;
    } else if (std::optional<TTimeChoice> time = ParseTime(parts->Time)) {
      Fields.Hour = time->Hour;
      Fields.Minute = time->Minute;
    }
    Fields.Alarm = parts->Alarm();
  } else {
    Fields = TItemFields{};
    Fields.Subject = itemText;
  }
  Fields.Repeat = TRepeatFields{};
  series_id_.clear();
  edit_index_ = index;
  shown_ = Fields;
  tail_ = parts ? TextAfterFourParts(itemText) : std::nullopt;
  shown_not_item_ = !parts;
}

bool TScheduleEditor::WillWrite() const {
  return !Fields.Subject.empty() && !(shown_not_item_ && !Dirty());
}

bool TScheduleEditor::CheckWritable() {
  if (IsWritableItemText(Fields.Subject) && IsWritableItemText(Fields.Place)) return true;
  dialogs_.ShowMessage(kUnwritableTextMessage, kWarningCaption, TMsgIcon::Warning);
  return false;
}

std::string TScheduleEditor::FieldsLine(bool keepTail) const {
  std::string line = Fields.AllDay ? JoinScheduleLine(std::to_string(year_), std::to_string(month_),
                                                      std::to_string(day_), Fields.Subject,
                                                      Fields.Place, "", AlarmFlagText(Fields.Alarm))
                                   : MakeScheduleLine(year_, month_, day_, Fields.Subject,
                                                      Fields.Place, HourEntryText(Fields.Hour),
                                                      MinuteEntryText(Fields.Minute), Fields.Alarm);
  if (keepTail && tail_) {
    // Before the closing quote: the parts after the alarm flag, as they were stored.
    std::string extra(kItemSeparator);
    extra += *tail_;
    line.insert(line.size() - 1, extra);
  }
  return line;
}

TWriteOutcome TScheduleEditor::WriteTyped() {
  return Dirty() ? Write() : TWriteOutcome::Ignored;
}

TWriteOutcome TScheduleEditor::Write() {
  if (!WillWrite()) return TWriteOutcome::Ignored;
  if (!CheckWritable()) return TWriteOutcome::Refused;
  if (model_ && (!series_id_.empty() || Fields.Repeat.Kind != TRepeatKind::None))
    return WriteSeries();
  // An index that no longer names a line cannot be rewritten; the item is then kept as new
  // rather than lost.
  if (edit_index_ < 0 || static_cast<size_t>(edit_index_) >= list_.Count()) {
    list_.Add(FieldsLine(false));
    FillTree();
    Select(0);
    return TWriteOutcome::Added;
  }
  const auto index = static_cast<size_t>(edit_index_);
  list_.Put(index, FieldsLine(true));
  bool found = false;
  for (TItemNode& node : nodes_) {
    if (node.Index != index) continue;
    node = NodeOfLine(index, list_[index]);
    found = true;
  }
  if (!found) {
    const int selected = selected_;
    FillTree();
    selected_ = selected < static_cast<int>(nodes_.size()) ? selected : -1;
  }
  ShowSelected();
  shown_ = Fields;  // written: nothing typed is pending any more
  shown_not_item_ = false;
  return TWriteOutcome::Replaced;
}

std::optional<TSeriesScope> TScheduleEditor::AskScope(std::string_view question) {
  // Enter takes the choice that touches the least: the one day.
  const std::optional<TMsgAnswer> answer =
      dialogs_.AskThreeWay(question, {}, TMsgIcon::Question, kScopeButtons, TMsgAnswer::Yes);
  if (!answer) return std::nullopt;
  switch (*answer) {
    case TMsgAnswer::Yes:
      return TSeriesScope::ThisDay;
    case TMsgAnswer::No:
      return TSeriesScope::FromThisDay;
    case TMsgAnswer::Cancel:
      break;
  }
  return TSeriesScope::All;
}

void TScheduleEditor::Refill() {
  FillTree();
  ClearFields();
  if (!nodes_.empty()) Select(0);
}

TWriteOutcome TScheduleEditor::WriteSeries() {
  const JuliusDay day = Today();
  const std::string line = FieldsLine(true);
  const std::string text = GetItemText(line);
  const bool repeats = Fields.Repeat.Kind != TRepeatKind::None;
  const std::optional<TRecurrence> rule = RuleOfFields(Fields.Repeat, day);
  const auto refuse = [&] {
    dialogs_.ShowMessage(kBadRuleMessage, kWarningCaption, TMsgIcon::Warning);
    return TWriteOutcome::Refused;
  };
  if (repeats && !rule) return refuse();
  const std::optional<TSeriesLine> found =
      series_id_.empty() ? std::nullopt : model_->FindSeries(series_id_);
  if (!found) {
    // A new item, or a plain item (or a series gone meanwhile) that becomes a series.
    if (series_id_.empty() && edit_index_ >= 0 && static_cast<size_t>(edit_index_) < list_.Count())
      list_.Delete(static_cast<size_t>(edit_index_));
    if (repeats)
      model_->AddSeries(TSeries{"", *rule, text});
    else
      list_.Add(line);
    Refill();
    return TWriteOutcome::Added;
  }
  const std::optional<TSeriesScope> scope = AskScope(kChangeSeriesQuestion);
  if (!scope) return TWriteOutcome::Refused;
  const TSeries& old = found->Series;
  const std::string id = series_id_;
  switch (*scope) {
    case TSeriesScope::ThisDay:
      model_->TakeOutDay(id, day, line);
      break;
    case TSeriesScope::FromThisDay: {
      if (!repeats) {
        model_->EndSeriesFrom(id, day);
        list_.Add(line);
        break;
      }
      // The rule kept, its count and taken-out days divided; a changed rule starts here anew.
      std::optional<TSeries> rest = RuleFieldsChanged(Fields.Repeat, old.Rule)
                                        ? std::nullopt
                                        : SeriesFrom(old, day, model_->Rules());
      if (!rest) rest = TSeries{"", *rule, text};
      rest->Text = text;
      model_->EndSeriesFrom(id, day, rest);
      break;
    }
    case TSeriesScope::All: {
      if (!repeats) {
        model_->DeleteSeries(id);
        list_.Add(line);
        break;
      }
      TSeries changed = old;
      changed.Text = text;
      if (RuleFieldsChanged(Fields.Repeat, old.Rule)) {
        std::optional<TRecurrence> all = RuleOfFields(Fields.Repeat, old.Rule.Start);
        if (!all) return refuse();
        all->Exceptions = old.Rule.Exceptions;
        changed.Rule = *all;
      }
      model_->ChangeSeries(id, changed);
      break;
    }
  }
  Refill();
  return TWriteOutcome::Replaced;
}

TWriteOutcome TScheduleEditor::Add() {
  const TWriteOutcome outcome = Write();
  if (outcome == TWriteOutcome::Refused) return outcome;  // keep what the user typed
  ClearFields();
  return outcome;
}

TDeleteOutcome TScheduleEditor::Delete() {
  if (nodes_.empty()) {
    dialogs_.ShowMessage(kNoItemsMessage, {}, TMsgIcon::None);
    return TDeleteOutcome::NoItems;
  }
  // Asking to delete "this item" with none selected would delete nothing on Yes.
  if (selected_ < 0) return TDeleteOutcome::NothingSelected;
  const TItemNode& node = nodes_[static_cast<size_t>(selected_)];
  const size_t index = node.Index;
  const std::optional<TSeries> series =
      model_ && node.Repeating && index < list_.Count() ? SeriesOnLine(list_[index]) : std::nullopt;
  if (series) {
    const std::optional<TSeriesScope> scope = AskScope(kDeleteSeriesQuestion);
    if (!scope) return TDeleteOutcome::Declined;
    if (*scope == TSeriesScope::ThisDay)
      model_->TakeOutDay(series->Id, Today());
    else if (*scope == TSeriesScope::FromThisDay)
      model_->EndSeriesFrom(series->Id, Today());
    else
      model_->DeleteSeries(series->Id);
  } else {
    if (!dialogs_.AskYesNo(kDeleteQuestion, kWarningCaption, TMsgIcon::Warning, TMsgDefault::Yes))
      return TDeleteOutcome::Declined;
    if (index < list_.Count()) list_.Delete(index);
  }
  FillTree();
  ClearFields();
  ShowSelected();
  return TDeleteOutcome::Deleted;
}

}  // namespace moriva
