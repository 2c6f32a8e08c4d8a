#pragma once
// The windows' side of TDialogs and TStatusSink: Qt message boxes and file dialogs, the
// application-wide override cursor, and three labels in a QStatusBar.
#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Dialogs.h"

class QLabel;
class QStatusBar;
class QWidget;

namespace moriva {

class TQtDialogs : public TDialogs {
 public:
  // Boxes and dialogs are shown modal to `parent` (may be null).
  explicit TQtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  // The window boxes are shown over, once it exists. A box raised while another modal window
  // (the schedule editor, the settings) is open is shown over that window instead.
  void SetParent(QWidget* parent) { parent_ = parent; }

  // Messages (not questions) raised while held are kept and shown by ReleaseMessages, e.g. the
  // start-up errors, which belong over the main window once it is on the screen.
  void HoldMessages() { held_ = true; }
  void ReleaseMessages();

  bool AskYesNo(std::string_view text, std::string_view caption, TMsgIcon icon,
                TMsgDefault defaultButton) override;
  void ShowMessage(std::string_view text, std::string_view caption, TMsgIcon icon) override;
  TMsgAnswer AskYesNoCancel(std::string_view text, std::string_view caption,
                            TMsgIcon icon) override;
  std::optional<TMsgAnswer> AskThreeWay(std::string_view text, std::string_view caption,
                                        TMsgIcon icon, const std::string_view (&buttons)[3],
                                        TMsgAnswer defaultButton) override;
  std::optional<std::filesystem::path> ChooseOpenFile(
      std::string_view filter, const std::filesystem::path& proposedName = {}) override;
  std::optional<std::filesystem::path> ChooseSaveFile(
      std::string_view filter, const std::filesystem::path& proposedName = {}) override;
  void BeginBusy() override;
  void EndBusy() override;

 private:
  // A box with three buttons answered Yes, No and Cancel in order. Escape and the window's
  // close button press the third when `escapeIsThird`, else they answer nothing.
  std::optional<TMsgAnswer> AskWithButtons(std::string_view text, std::string_view caption,
                                           TMsgIcon icon, const std::string_view (&buttons)[3],
                                           TMsgAnswer defaultButton, bool escapeIsThird);
  std::optional<std::filesystem::path> ChooseFile(bool save, std::string_view filter,
                                                  const std::filesystem::path& proposedName);

  // The window a box or dialog belongs over now.
  QWidget* Owner() const;

  struct THeldMessage {
    std::string Text, Caption;
    TMsgIcon Icon;
  };

  QWidget* parent_;
  bool held_ = false;
  std::vector<THeldMessage> heldMessages_;
  // Each dialog reopens in the folder it was last confirmed in, as one shared dialog would.
  QString openDir_;
  QString saveDir_;
};

// Three status panels in `bar`: 100 and 50 pixels wide, the last one 50 at least and taking the
// rest of the bar.
class TQtStatusPanels : public TStatusSink {
 public:
  explicit TQtStatusPanels(QStatusBar* bar);
  void SetPanelText(int panel, std::string_view text) override;
  QLabel* Panel(int panel) const { return panels_[panel]; }

 private:
  QLabel* panels_[kPanelCount];
};

// "desc|patterns|desc|patterns" → Qt's name filters, one per pair: "desc (p1 p2)". Patterns
// separated by ';' become separated by blanks, and "*.*" becomes "*", because on this platform
// "*.*" would skip files without a dot, which the filter's author meant to include. A trailing
// description without patterns is dropped; an empty description shows its patterns.
QStringList QtNameFilters(std::string_view filter);

// The suffix a save dialog adds to a name without one: the first pattern's extension when it
// is of the form "*.ext" ("mrv" for "Moriva(*.mrv)|*.mrv|…"), else empty.
QString DefaultSuffix(std::string_view filter);

// A file name from Qt (a dialog's choice, a dropped file) as the file system spells it.
std::filesystem::path QStringToPath(const QString& text);

// A UTF-8 message text for a box: CR LF, CR and LF each become one line break.
QString MessageText(std::string_view text);

// The caption a box gets when its caller gives none: the program's title.
QString BoxCaption(std::string_view caption);

}  // namespace moriva
