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
  const TItemParts shown = parts.value_or(TItemParts{});
  Fields.Subject = shown.Subject;
  Fields.Place = shown.Place;
  if (std::optional<TTimeChoice> time = ParseTime(shown.Time)) {
    Fields.Hour = time->Hour;
    Fields.Minute = time->Minute;
  }
  Fields.Alarm = shown.Alarm();
  edit_index_ = index;
}

bool TScheduleEditor::CheckWritable() {
  if (IsWritableItemText(Fields.Subject) && IsWritableItemText(Fields.Place)) return true;
  dialogs_.ShowMessage(kUnwritableTextMessage, kWarningCaption, TMsgIcon::Warning);
  return false;
}

std::string TScheduleEditor::FieldsLine() const {
  return MakeScheduleLine(year_, month_, day_, Fields.Subject, Fields.Place,
                          HourEntryText(Fields.Hour), MinuteEntryText(Fields.Minute), Fields.Alarm);
}

TWriteOutcome TScheduleEditor::Write() {
  if (Fields.Subject.empty()) return TWriteOutcome::Ignored;
  if (!CheckWritable()) return TWriteOutcome::Refused;
  std::string line = FieldsLine();
  // An index that no longer names a line cannot be rewritten; the item is then kept as new
  // rather than lost.
  if (edit_index_ < 0 || static_cast<size_t>(edit_index_) >= list_.Count()) {
    list_.Add(std::move(line));
    FillTree();
    Select(0);
    return TWriteOutcome::Added;
  }
  const auto index = static_cast<size_t>(edit_index_);
  list_.Put(index, std::move(line));
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
