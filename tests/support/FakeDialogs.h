#pragma once
// Scripted stand-ins for TDialogs and TStatusSink, for tests of any framework. The fake records
// every call in order and answers questions and file choices from queues the test fills
// beforehand. A question with no prepared answer (and no DefaultYesNo) throws
// TFakeDialogs::NoAnswer, so a test never blocks and never passes on an unplanned question.
//
//   moriva::TFakeDialogs dialogs;
//   dialogs.AnswerYes();                       // the first question gets Yes
//   dialogs.AnswerFile("/tmp/x/a.mrv");        // the first file dialog returns this path
//   dialogs.CancelFile();                      // the second file dialog is cancelled
//   RunTheAction(dialogs);
//   EXPECT_EQ(dialogs.Calls.at(0).Text, "...");
#include <deque>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/Dialogs.h"

namespace moriva {

class TFakeDialogs : public TDialogs {
 public:
  enum class Kind {
    AskYesNo,
    AskYesNoCancel,
    AskThreeWay,
    Message,
    OpenFile,
    SaveFile,
    BeginBusy,
    EndBusy
  };

  // One recorded call. Only the members that belong to its Kind are filled.
  struct Call {
    Kind What = Kind::Message;
    std::string Text;
    std::string Caption;
    TMsgIcon Icon = TMsgIcon::None;
    TMsgDefault Default = TMsgDefault::Yes;
    TMsgAnswer DefaultButton = TMsgAnswer::Yes;  // of AskThreeWay, whose captions are Buttons
    std::vector<std::string> Buttons;
    std::string Filter;
    std::filesystem::path ProposedName;
    bool Answer = false;  // the answer given to AskYesNo
    // The answer given to AskYesNoCancel or AskThreeWay; nothing when the box was closed.
    std::optional<TMsgAnswer> ThreeWay;
    std::optional<std::filesystem::path> Chosen;  // the answer given to a file dialog
  };

  struct NoAnswer : std::logic_error {
    using std::logic_error::logic_error;
  };

  std::vector<Call> Calls;
  std::deque<bool> YesNoAnswers;
  std::deque<std::optional<TMsgAnswer>> ThreeWayAnswers;
  std::deque<std::optional<std::filesystem::path>> FileAnswers;
  // Used when YesNoAnswers is empty; without it an unprepared question throws NoAnswer.
  std::optional<bool> DefaultYesNo;
  // Runs inside every answered question, message and file dialog, e.g. to look at the program's
  // state while the box would be on screen.
  std::function<void(const Call&)> OnCall;
  int BusyDepth = 0;     // BeginBusy minus EndBusy calls so far
  int MaxBusyDepth = 0;  // the deepest nesting seen

  void AnswerYes() { YesNoAnswers.push_back(true); }
  void AnswerNo() { YesNoAnswers.push_back(false); }
  // Yes, No and Cancel are the three buttons in order; closing answers AskThreeWay nothing
  // (AskYesNoCancel Cancel).
  void AnswerThreeWay(TMsgAnswer a) { ThreeWayAnswers.push_back(a); }
  void CloseThreeWay() { ThreeWayAnswers.push_back(std::nullopt); }
  void AnswerFile(const std::filesystem::path& path) { FileAnswers.emplace_back(path); }
  void CancelFile() { FileAnswers.emplace_back(std::nullopt); }

  bool AskYesNo(std::string_view text, std::string_view caption, TMsgIcon icon,
                TMsgDefault defaultButton) override {
    Call c = Box(Kind::AskYesNo, text, caption, icon);
    c.Default = defaultButton;
    return Answer(std::move(c), &Call::Answer, YesNoAnswers, DefaultYesNo,
                  "unexpected question: " + std::string(text));
  }

  TMsgAnswer AskYesNoCancel(std::string_view text, std::string_view caption,
                            TMsgIcon icon) override {
    return Answer(Box(Kind::AskYesNoCancel, text, caption, icon), &Call::ThreeWay, ThreeWayAnswers,
                  {}, "unexpected question: " + std::string(text))
        .value_or(TMsgAnswer::Cancel);
  }

  std::optional<TMsgAnswer> AskThreeWay(std::string_view text, std::string_view caption,
                                        TMsgIcon icon, const std::string_view (&buttons)[3],
                                        TMsgAnswer defaultButton) override {
    Call c = Box(Kind::AskThreeWay, text, caption, icon);
    c.DefaultButton = defaultButton;
    c.Buttons.assign(std::begin(buttons), std::end(buttons));
    return Answer(std::move(c), &Call::ThreeWay, ThreeWayAnswers, {},
                  "unexpected question: " + std::string(text));
  }

  void ShowMessage(std::string_view text, std::string_view caption, TMsgIcon icon) override {
    const Call c = Box(Kind::Message, text, caption, icon);
    Calls.push_back(c);
    if (OnCall) OnCall(c);
  }

  std::optional<std::filesystem::path> ChooseOpenFile(
      std::string_view filter, const std::filesystem::path& proposedName = {}) override {
    return ChooseFile(Kind::OpenFile, filter, proposedName);
  }
  std::optional<std::filesystem::path> ChooseSaveFile(
      std::string_view filter, const std::filesystem::path& proposedName = {}) override {
    return ChooseFile(Kind::SaveFile, filter, proposedName);
  }

  void BeginBusy() override {
    Calls.push_back(Box(Kind::BeginBusy));
    ++BusyDepth;
    if (BusyDepth > MaxBusyDepth) MaxBusyDepth = BusyDepth;
  }
  void EndBusy() override {
    Calls.push_back(Box(Kind::EndBusy));
    --BusyDepth;
  }

  // The recorded calls of one kind, in order.
  std::vector<Call> CallsOf(Kind kind) const {
    std::vector<Call> out;
    for (const Call& c : Calls)
      if (c.What == kind) out.push_back(c);
    return out;
  }
  // The texts of every message box (not questions), in order.
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> out;
    for (const Call& c : Calls)
      if (c.What == Kind::Message) out.push_back(c.Text);
    return out;
  }
  // The texts of every question, in order.
  std::vector<std::string> QuestionTexts() const {
    std::vector<std::string> out;
    for (const Call& c : Calls)
      if (c.What == Kind::AskYesNo || c.What == Kind::AskYesNoCancel || c.What == Kind::AskThreeWay)
        out.push_back(c.Text);
    return out;
  }
  void Reset() { *this = TFakeDialogs(); }

 private:
  static Call Box(Kind what, std::string_view text = {}, std::string_view caption = {},
                  TMsgIcon icon = TMsgIcon::None) {
    Call c;
    c.What = what;
    c.Text = text;
    c.Caption = caption;
    c.Icon = icon;
    return c;
  }

  std::optional<std::filesystem::path> ChooseFile(Kind kind, std::string_view filter,
                                                  const std::filesystem::path& proposedName) {
    Call c = Box(kind);
    c.Filter = filter;
    c.ProposedName = proposedName;
    return Answer(std::move(c), &Call::Chosen, FileAnswers, {},
                  "unexpected file dialog with filter " + std::string(filter));
  }

  // Records `c` with the first prepared answer (else `fallback`) in its member `given`, and
  // returns that answer. With neither, `c` is recorded unanswered and NoAnswer(`unplanned`)
  // thrown, so an unplanned box is both seen and stopped.
  template <class T>
  T Answer(Call c, T Call::*given, std::deque<T>& answers, const std::optional<T>& fallback,
           const std::string& unplanned) {
    if (answers.empty() && !fallback) {
      Calls.push_back(std::move(c));
      throw NoAnswer(unplanned);
    }
    if (answers.empty()) {
      c.*given = *fallback;
    } else {
      c.*given = std::move(answers.front());
      answers.pop_front();
    }
    Calls.push_back(c);
    if (OnCall) OnCall(c);
    return c.*given;
  }
};

// Keeps the three panel texts and every change made to them.
class TFakeStatusSink : public TStatusSink {
 public:
  struct Change {
    int Panel = 0;
    std::string Text;
  };

  std::string Panels[kPanelCount];
  std::vector<Change> History;

  void SetPanelText(int panel, std::string_view text) override {
    if (panel < 0 || panel >= kPanelCount) return;
    Panels[panel] = text;
    History.push_back(Change{panel, std::string(text)});
  }

  // Every text panel `panel` has shown, in order.
  std::vector<std::string> TextsOf(int panel) const {
    std::vector<std::string> out;
    for (const Change& c : History)
      if (c.Panel == panel) out.push_back(c.Text);
    return out;
  }
};

}  // namespace moriva
