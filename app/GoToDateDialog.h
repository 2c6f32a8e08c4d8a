#pragma once
// 日付へ移動 (Ctrl+G): one date field that takes 2027/1/10, 2027-01-10, 1/10 (this year) and
// Japanese era dates (令和9年1月10日, R9.1.10). Enter moves there; a text that names no day keeps
// the window open with a note under the field, so the user can mend it.
#include <QDialog>
#include <optional>

#include "calendar/Julius.h"

class QLabel;
class QLineEdit;

namespace moriva {

class TGoToDateDialog : public QDialog {
  Q_OBJECT

 public:
  // `thisYear` completes a date typed without a year.
  TGoToDateDialog(int32_t thisYear, QWidget* parent = nullptr);

  QLineEdit* DateEdit = nullptr;
  QLabel* Note = nullptr;
  // The day chosen, once the window ended with OK.
  std::optional<JuliusDay> Day;

  void accept() override;

 private:
  int32_t thisYear_;
};

}  // namespace moriva
