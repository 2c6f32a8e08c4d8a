#pragma once
// The schedule editor's 繰り返し section: the controls of TRepeatFields on the editor's right
// panel. Controls that the chosen kind does not use are hidden or disabled, so that Enter
// passes over them.
#include <QObject>
#include <array>
#include <vector>

#include "calendar/Julius.h"
#include "schedule/RepeatFields.h"

class QCheckBox;
class QLabel;
class QWidget;

namespace moriva {

class TEnterAdvanceComboBox;
class TEnterAdvanceEdit;

class TRepeatSection : public QObject {
  Q_OBJECT

 public:
  // Lays the controls out on `panel` from `top` down (four rows of 28 pixels).
  TRepeatSection(QWidget* panel, int top);

  // The controls as fields; texts that do not read give values the rule refuses.
  TRepeatFields Read() const;
  // Shows the fields for a series on `day` (the monthly choices are named after it).
  void Show(const TRepeatFields& fields, JuliusDay day);
  // The section stays out of the Tab chain, as the window's other optional boxes do (the
  // window gives it a key of its own); inside it, Enter walks through the controls in use and
  // from the last on to `exit`.
  void LeadOutTo(QWidget* exit);

  TEnterAdvanceComboBox* Kind = nullptr;
  TEnterAdvanceEdit* Interval = nullptr;
  std::array<QCheckBox*, 7> Weekdays{};  // 日 … 土
  TEnterAdvanceComboBox* MonthlyBy = nullptr;
  TEnterAdvanceComboBox* End = nullptr;
  TEnterAdvanceEdit* Until = nullptr;
  TEnterAdvanceEdit* Count = nullptr;
  QCheckBox* SkipHolidays = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Arrange();
  std::vector<QWidget*> Controls() const;

  QLabel* unit_ = nullptr;       // 日ごと, 週ごと, ...
  QLabel* countUnit_ = nullptr;  // 回, beside the count only
  TRepeatFields shown_;
  JuliusDay day_ = 0;
  QWidget* exit_ = nullptr;
};

}  // namespace moriva
