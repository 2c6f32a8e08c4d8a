#pragma once
// The program's questions, messages, file choices, status-bar texts and busy cursor, seen from
// the core. The windows implement these with real message boxes and dialogs (app/QtDialogs.h),
// tests with a scripted fake (tests/support/FakeDialogs.h), the command-line tool from its flags.
// Core code therefore never blocks on a modal box it cannot see.
//
// Every text passed through these interfaces is UTF-8 (convert CP932 data with Cp932ToUtf8).
// A text may hold CR LF line breaks, as the program's messages do; implementations show each
// CR LF, CR or LF as one line break.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace moriva {

// The picture a message box shows beside its text.
enum class TMsgIcon {
  None,         // a plain box: text and buttons only
  Information,  // "i"
  Warning,      // the exclamation mark
  Error,        // the stop sign
  Question,     // "?"
};

// Which button of a Yes/No question Enter presses.
enum class TMsgDefault { Yes, No };

// The answer to a question with the buttons Yes, No and Cancel.
enum class TMsgAnswer { Yes, No, Cancel };

class TDialogs {
 public:
  virtual ~TDialogs() = default;

  // Asks a question with the buttons Yes and No. Returns true for Yes. Closing the box
  // without choosing counts as No. An empty caption means the program's title.
  virtual bool AskYesNo(std::string_view text, std::string_view caption, TMsgIcon icon,
                        TMsgDefault defaultButton) = 0;

  // Asks a question with the buttons Yes, No and Cancel (Yes the default); closing the box
  // counts as Cancel. Without a box of its own an implementation asks Yes/No.
  virtual TMsgAnswer AskYesNoCancel(std::string_view text, std::string_view caption,
                                    TMsgIcon icon) {
    return AskYesNo(text, caption, icon, TMsgDefault::Yes) ? TMsgAnswer::Yes : TMsgAnswer::No;
  }

  // Asks with three buttons captioned `buttons` (UTF-8), answered as Yes, No and Cancel in
  // that order; Enter presses `defaultButton`. Escape, or closing the box, answers nothing, so
  // that the third button can be a choice of its own. Without such a box an implementation
  // asks Yes/No/Cancel, its Cancel answering nothing.
  virtual std::optional<TMsgAnswer> AskThreeWay(std::string_view text, std::string_view caption,
                                                TMsgIcon icon, const std::string_view (&buttons)[3],
                                                TMsgAnswer defaultButton) {
    (void)buttons;
    (void)defaultButton;
    const TMsgAnswer a = AskYesNoCancel(text, caption, icon);
    return a == TMsgAnswer::Cancel ? std::nullopt : std::optional<TMsgAnswer>(a);
  }

  // Shows a text with one OK button and returns when the user closes the box. An empty caption
  // means the program's title.
  virtual void ShowMessage(std::string_view text, std::string_view caption, TMsgIcon icon) = 0;

  // Lets the user choose an existing file to open, or a file name to save to (the save dialog
  // asks before replacing an existing file). `filter` is in the form "description|patterns|
  // description|patterns...", patterns separated by ';' ("CSVファイル(*.csv)|*.csv|全て(*.*)|*.*");
  // the first pair is selected. `proposedName` is the name shown at first; when it has a
  // folder part the dialog opens in that folder, otherwise in the folder used last.
  // Returns the chosen path, or nothing when the user cancels.
  virtual std::optional<std::filesystem::path> ChooseOpenFile(
      std::string_view filter, const std::filesystem::path& proposedName = {}) = 0;
  virtual std::optional<std::filesystem::path> ChooseSaveFile(
      std::string_view filter, const std::filesystem::path& proposedName = {}) = 0;

  // The hourglass for the whole program. Calls nest; the normal pointer returns when every
  // BeginBusy has had its EndBusy. Use TBusyCursor rather than calling these directly.
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;

  // Shorthands for the two kinds of one-button boxes the program shows by name.
  void ShowWarning(std::string_view text, std::string_view caption = {}) {
    ShowMessage(text, caption, TMsgIcon::Warning);
  }
  void ShowError(std::string_view text, std::string_view caption = {}) {
    ShowMessage(text, caption, TMsgIcon::Error);
  }
};

// For runs with nobody at the screen (the command-line tool, benchmarks): every question is
// answered No (Cancel where there is one), no file is chosen and there is no pointer to
// change. Messages are for the subclass to print.
class THeadlessDialogs : public TDialogs {
 public:
  bool AskYesNo(std::string_view, std::string_view, TMsgIcon, TMsgDefault) override {
    return false;
  }
  TMsgAnswer AskYesNoCancel(std::string_view, std::string_view, TMsgIcon) override {
    return TMsgAnswer::Cancel;
  }
  std::optional<std::filesystem::path> ChooseOpenFile(std::string_view,
                                                      const std::filesystem::path&) override {
    return std::nullopt;
  }
  std::optional<std::filesystem::path> ChooseSaveFile(std::string_view,
                                                      const std::filesystem::path&) override {
    return std::nullopt;
  }
  void BeginBusy() override {}
  void EndBusy() override {}
};

// Shows the hourglass from construction to destruction, so every way out of a long operation,
// an exception included, restores the normal pointer.
class TBusyCursor {
 public:
  explicit TBusyCursor(TDialogs& dialogs) : dialogs_(dialogs) { dialogs_.BeginBusy(); }
  ~TBusyCursor() { dialogs_.EndBusy(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

 private:
  TDialogs& dialogs_;
};

// The main window's status bar: three panels, numbered 0 to 2 from the left. A long operation
// writes its progress there; the text stays until it is replaced.
class TStatusSink {
 public:
  static constexpr int kPanelCount = 3;

  virtual ~TStatusSink() = default;

  // Sets the text of one panel (0, 1 or 2; other numbers are ignored). The text is UTF-8.
  virtual void SetPanelText(int panel, std::string_view text) = 0;

  void Clear() {
    for (int i = 0; i < kPanelCount; ++i) SetPanelText(i, {});
  }
};

}  // namespace moriva
