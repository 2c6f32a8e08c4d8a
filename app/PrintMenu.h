#pragma once
// ファイル → 印刷 (Ctrl+P) and PDF 出力: the month on the month calendar as one landscape page,
// or the agenda of a range of days. A small window asks which (TPrintChoiceDialog); 印刷 then
// shows the system's print dialog, PDF 出力 a save dialog, and the PDF is written without any
// printer, its Japanese font embedded.
#include <QDialog>
#include <QObject>
#include <filesystem>
#include <functional>
#include <optional>

#include "base/Dialogs.h"
#include "calendar/Julius.h"

class QAction;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace moriva {

class TMonthlyCalendar;

// What to print: the month of `year`/`month`, or the agenda from..to (both inclusive).
struct TPrintChoice {
  bool Agenda = false;
  int32_t Year = 0;
  uint8_t Month = 0;
  JuliusDay From = 0;
  JuliusDay To = 0;
};

class TPrintChoiceDialog : public QDialog {
  Q_OBJECT

 public:
  // Offers the month of `year`/`month`, and that month's days as the agenda's range.
  TPrintChoiceDialog(const QString& caption, int32_t year, uint8_t month,
                     QWidget* parent = nullptr);

  QRadioButton* MonthChoice = nullptr;   // 月表示
  QRadioButton* AgendaChoice = nullptr;  // 予定一覧
  QLineEdit* FromEdit = nullptr;
  QLineEdit* ToEdit = nullptr;
  QLabel* Note = nullptr;
  // Set once the window ended with OK.
  std::optional<TPrintChoice> Choice;

  void accept() override;

 private:
  int32_t year_;
  uint8_t month_;
};

// The save dialog's filter of PDF 出力.
inline constexpr std::string_view kPdfFileFilter = "PDFファイル(*.pdf)|*.pdf|全て(*.*)|*.*";

class TPrintMenu : public QObject {
  Q_OBJECT

 public:
  // `calendar` gives the month, the schedule and the holidays as shown; `dialogs` the save
  // dialog and the error boxes; `guarded` runs a handler and shows what it throws.
  TPrintMenu(QWidget& window, TMonthlyCalendar& calendar, TDialogs& dialogs,
             std::function<void(std::function<void()>)> guarded);

  QAction* Print = nullptr;   // 印刷 (Ctrl+P)
  QAction* PdfOut = nullptr;  // PDF 出力

  void PrintExecute();
  void PdfOutExecute();
  // Writes the chosen pages as a PDF file, atomically; throws EFileError when it cannot.
  void WritePdf(const TPrintChoice& choice, const std::filesystem::path& path) const;

 private:
  std::optional<TPrintChoice> Ask(const QString& caption);

  QWidget& window_;
  TMonthlyCalendar& calendar_;
  TDialogs& dialogs_;
};

}  // namespace moriva
