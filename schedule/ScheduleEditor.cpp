#include "schedule/ScheduleEditor.h"

#include <optional>

#include "schedule/ScheduleLine.h"

namespace moriva {
namespace {

constexpr std::string_view kNoItemsMessage = "予定はありません。";
constexpr std::string_view kDeleteQuestion = "この予定を削除します。よろしいですか？";
constexpr std::string_view kWarningCaption = "警告";

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

void TScheduleEditor::Open() {
  ClearFields();
  FillTree();
  if (!nodes_.empty()) Select(0);
}

void TScheduleEditor::FillTree() {
  nodes_.clear();
  for (const TDayItem& item : ListDayItems(year_, month_, day_, list_))
    nodes_.push_back(
        TItemNode{item.Index, ItemNodeText(item.Subject, item.Place, item.Time), item.Alarm()});
  selected_ = -1;
  ++generation_;
}

void TScheduleEditor::ClearFields() {
  Fields = TItemFields{};
  edit_index_ = -1;
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
  const size_t index = nodes_[static_cast<size_t>(selected_)].Index;
  if (index >= list_.Count()) return;
  ShowItemText(GetItemText(list_[index]), static_cast<int>(index));
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
  if (!dialogs_.AskYesNo(kDeleteQuestion, kWarningCaption, TMsgIcon::Warning, TMsgDefault::Yes))
    return TDeleteOutcome::Declined;
  const size_t index = nodes_[static_cast<size_t>(selected_)].Index;
  if (index < list_.Count()) list_.Delete(index);
  FillTree();
  ClearFields();
  ShowSelected();
  return TDeleteOutcome::Deleted;
}

}  // namespace moriva
