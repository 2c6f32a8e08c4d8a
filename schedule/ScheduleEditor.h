#pragma once
// The schedule editor's state and steps, without a window. The editor works on one day of the
// master schedule list and changes the list at once with every write and delete; whether the
// changes stay is its owner's decision when the editing ends (the owner keeps a copy to restore).
//
// The window mirrors this state: before each step it copies its controls into `Fields` and the
// tree's selection into Select(); afterwards it shows Nodes(), Selected() and Fields again.
// Nodes() is rebuilt from the list after every insertion and deletion (TreeGeneration() then
// changes), because a node's master-list index is only valid until the next such change.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Dialogs.h"
#include "base/LineList.h"
#include "schedule/RepeatFields.h"
#include "schedule/ScheduleEditorFields.h"

namespace moriva {

// What the edit fields hold. Texts are CP932; Hour and Minute are positions in kHourEntries and
// kMinuteEntries, or kNoChoice. An all-day item is written without a time, whatever the
// choices show.
struct TItemFields {
  std::string Subject;
  std::string Place;
  int Hour = 0;
  int Minute = 0;
  bool Alarm = false;
  bool AllDay = false;
  TRepeatFields Repeat;  // 繰り返し; shown for a series' occurrence, しない for a plain item
  bool operator==(const TItemFields&) const = default;
};

// One node of the day's tree: the item's index in the master list, its text and its alarm.
struct TItemNode {
  size_t Index = 0;
  std::string Text;  // CP932: subject- place- time
  bool Alarm = false;
  bool Repeating = false;  // an occurrence of the series on line Index
  bool operator==(const TItemNode&) const = default;
};

enum class TWriteOutcome {
  Ignored,   // the subject is empty
  Refused,   // the subject, place or 繰り返し could not be written, and the user has been
             // told; or the user cancelled the question of a series' scope. The fields stay.
  Added,     // a new line was appended
  Replaced,  // the shown item's line was rewritten in place
};

enum class TDeleteOutcome {
  NoItems,          // the day has no items; the user has been told
  NothingSelected,  // no node is selected: nothing to ask about or delete
  Declined,         // the user answered No (or cancelled the question of a series' scope)
  Deleted,
};

class TScheduleModel;

// How much of a series a change or deletion of one occurrence touches.
enum class TSeriesScope { ThisDay, FromThisDay, All };

class TScheduleEditor {
 public:
  // `list` and `dialogs` must outlive the editor.
  TScheduleEditor(TLineList& list, int32_t year, int month, int day, TDialogs& dialogs);

  // With the model, the day lists the occurrences of series too and the fields' 繰り返し makes
  // and changes series; without it, only plain items are listed and written. The model must
  // hold `list` as its lines and outlive the editor.
  void UseModel(TScheduleModel& model);

  // The fields as the window shows them.
  TItemFields Fields;

  int32_t Year() const { return year_; }
  int Month() const { return month_; }
  int Day() const { return day_; }
  // "yyyy/m/d の予定" (UTF-8).
  std::string Caption() const { return EditorCaption(year_, month_, day_); }

  // The identity of the series whose occurrence the fields show, or "".
  const std::string& SeriesId() const { return series_id_; }
  // The master-list index of the item in the fields, or -1 while they hold a new item.
  int EditIndex() const { return edit_index_; }
  const std::vector<TItemNode>& Nodes() const { return nodes_; }
  // The selected node's position in Nodes(), or -1.
  int Selected() const { return selected_; }
  // Counts the rebuilds of Nodes(), so that a viewer knows when to rebuild rather than update.
  unsigned TreeGeneration() const { return generation_; }

  // Opening: cleared fields, the day's nodes, and the first item selected and shown.
  void Open();
  // Rebuilds the nodes from the list; nothing is selected afterwards.
  void FillTree();
  // Empty subject and place, alarm off, both choices on their first entry, EditIndex -1.
  void ClearFields();
  // Selects a node (-1 or a position outside the nodes selects none) and shows it.
  void Select(int node);
  // Shows the selected node's item in the fields. Without a selection, or when its index no
  // longer names a line, the fields stay as they are.
  void ShowSelected();
  // Shows an item text in the fields and makes `index` the edited item. A text that is not an
  // item (three parts or fewer) is shown whole as the subject, as the tree lists it, with the
  // other fields cleared; an item without a time is all-day, the choices on their first
  // entries; a time that does not read leaves the choices as they were.
  void ShowItemText(std::string_view itemText, int index);

  // Whether the fields differ from what was last shown, cleared or written: text the user
  // typed and has not written yet.
  bool Dirty() const { return Fields != shown_; }
  // Whether Write() would change the list: a subject is there, and the fields do not merely
  // show a line that is not an item (such a line is rewritten only once the user edits it).
  bool WillWrite() const;

  // 書込: writes the fields as a line of the day, appended when they hold a new item (the day's
  // first item is selected afterwards), else over the edited item's line. Parts of the stored
  // text beyond the four the fields edit are kept.
  TWriteOutcome Write();
  // Before another item is shown: what was typed is written first, as 追加 does, so that a
  // click in the tree loses nothing. Returns Ignored when nothing was typed; after Refused the
  // fields must stay.
  TWriteOutcome WriteTyped();
  // 追加: writes what the fields hold, then clears them for a new item.
  TWriteOutcome Add();
  // 削除: after the user's consent, deletes the selected node's line and clears the fields.
  TDeleteOutcome Delete();

  // False, after telling the user, when Write() would refuse the fields' texts.
  bool CheckWritable();

 private:
  // Asks この日だけ / この日以降 / すべて; nullopt when the user cancels.
  std::optional<TSeriesScope> AskScope(std::string_view question);
  // Write() for the fields when they hold or make a series.
  TWriteOutcome WriteSeries();
  // After a change of the series: the tree again, the first node shown.
  void Refill();
  JuliusDay Today() const;
  // The fields as a line; `keepTail` adds the shown item's parts beyond the fourth.
  std::string FieldsLine(bool keepTail) const;

  TLineList& list_;
  int32_t year_;
  int month_;
  int day_;
  TDialogs& dialogs_;
  TScheduleModel* model_ = nullptr;
  std::string series_id_;  // of the shown occurrence's series
  int edit_index_ = -1;
  TItemFields shown_;                // the fields as last shown, cleared or written
  std::optional<std::string> tail_;  // the stored text after the fourth part, if any
  bool shown_not_item_ = false;      // the fields show a line that is not an item
  std::vector<TItemNode> nodes_;
  int selected_ = -1;
  unsigned generation_ = 0;
};

}  // namespace moriva
