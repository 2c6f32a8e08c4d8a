#include "app/PrintMenu.h"

#include <QAction>
#include <QBuffer>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

#include "app/FormFont.h"
#include "app/MonthlyCalendar.h"
#include "app/PrintPages.h"
#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/FileIO.h"
#include "calendar/DateInput.h"
#include "schedule/PrintSheets.h"
#include "schedule/ScheduleFile.h"

namespace fs = std::filesystem;

namespace moriva {

namespace {

QString DateText(JuliusDay z, const char* format) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  return QString::asprintf(format, static_cast<int>(y), m, d);
}

std::string AgendaTitle(const TPrintChoice& c) {
  return (QStringLiteral("予定一覧　") + DateText(c.From, "%04d/%02d/%02d") + QStringLiteral("～") +
          DateText(c.To, "%04d/%02d/%02d"))
      .toStdString();
}

}  // namespace

TPrintChoiceDialog::TPrintChoiceDialog(const QString& caption, int32_t year, uint8_t month,
                                       QWidget* parent)
    : QDialog(parent), year_(year), month_(month) {
  setWindowTitle(caption);
  setFont(FormFont(12));
  auto* layout = new QGridLayout(this);
  MonthChoice = new QRadioButton(QStringLiteral("月表示(&M)　%1年%2月").arg(year).arg(month), this);
  AgendaChoice = new QRadioButton(QStringLiteral("予定一覧(&L)"), this);
  MonthChoice->setChecked(true);
  const JuliusDay first = DateToJulius(year, month, 1);
  FromEdit = new QLineEdit(DateText(first, "%d/%d/%d"), this);
  ToEdit = new QLineEdit(DateText(first + DaysInMonth(year, month) - 1, "%d/%d/%d"), this);
  auto* fromLabel = new QLabel(QStringLiteral("開始日(&S):"), this);
  auto* toLabel = new QLabel(QStringLiteral("終了日(&E):"), this);
  fromLabel->setBuddy(FromEdit);
  toLabel->setBuddy(ToEdit);
  Note = new QLabel(this);
  Note->setStyleSheet(QStringLiteral("QLabel { color: rgb(192, 0, 0); }"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(caption);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("中止"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // The range belongs to the agenda alone.
  auto follow = [this](bool agenda) {
    FromEdit->setEnabled(agenda);
    ToEdit->setEnabled(agenda);
  };
  connect(AgendaChoice, &QRadioButton::toggled, this, follow);
  follow(false);
  layout->addWidget(MonthChoice, 0, 0, 1, 4);
  layout->addWidget(AgendaChoice, 1, 0, 1, 4);
  layout->addWidget(fromLabel, 2, 0);
  layout->addWidget(FromEdit, 2, 1);
  layout->addWidget(toLabel, 2, 2);
  layout->addWidget(ToEdit, 2, 3);
  layout->addWidget(Note, 3, 0, 1, 4);
  layout->addWidget(buttons, 4, 0, 1, 4);
  MonthChoice->setFocus();
}

void TPrintChoiceDialog::accept() {
  TPrintChoice c;
  c.Year = year_;
  c.Month = month_;
  c.Agenda = AgendaChoice->isChecked();
  if (c.Agenda) {
    for (QLineEdit* edit : {FromEdit, ToEdit}) {
      const std::optional<JuliusDay> day =
          ParseDateInput(Utf16ToCp932(edit->text().toStdU16String()), year_);
      if (!day) {
        Note->setText(QStringLiteral("「%1」は日付として読めません").arg(edit->text()));
        edit->selectAll();
        edit->setFocus();
        return;
      }
      (edit == FromEdit ? c.From : c.To) = *day;
    }
    if (c.From > c.To) {
      Note->setText(QStringLiteral("開始日が終了日より後です"));
      ToEdit->selectAll();
      ToEdit->setFocus();
      return;
    }
  }
  Choice = c;
  QDialog::accept();
}

TPrintMenu::TPrintMenu(QWidget& window, TMonthlyCalendar& calendar, TDialogs& dialogs,
                       std::function<void(std::function<void()>)> guarded)
    : QObject(&window), window_(window), calendar_(calendar), dialogs_(dialogs) {
  Print = new QAction(QStringLiteral("印刷"), this);
  Print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  Print->setShortcutContext(Qt::WindowShortcut);
  window.addAction(Print);
  PdfOut = new QAction(QStringLiteral("PDF 出力"), this);
  connect(Print, &QAction::triggered, this,
          [this, guarded] { guarded([this] { PrintExecute(); }); });
  connect(PdfOut, &QAction::triggered, this,
          [this, guarded] { guarded([this] { PdfOutExecute(); }); });
}

std::optional<TPrintChoice> TPrintMenu::Ask(const QString& caption) {
  TPrintChoiceDialog form(caption, calendar_.Year(), calendar_.Month(), &window_);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.Choice;
}

namespace {

void PaintChoice(QPagedPaintDevice& device, const TPrintChoice& c,
                 const TMonthlyCalendar& calendar) {
  if (c.Agenda) {
    PrintAgendaSheet(
        device, BuildAgendaSheet(calendar.Model().Rules(), calendar.Model().Lines(), c.From, c.To),
        AgendaTitle(c));
  } else {
    TMonthSheet sheet =
        BuildMonthSheet(calendar.Model().Rules(), c.Year, c.Month, calendar.FirstDayOfWeek());
    if (calendar.ShowSeasonalDays()) AddSeasonalDays(sheet);
    PrintMonthSheet(device, sheet);
  }
}

}  // namespace

void TPrintMenu::PrintExecute() {
  const std::optional<TPrintChoice> choice = Ask(QStringLiteral("印刷"));
  if (!choice) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("Moriva"));
  printer.setPageOrientation(choice->Agenda ? QPageLayout::Portrait : QPageLayout::Landscape);
  QPrintDialog dialog(&printer, &window_);
  if (dialog.exec() != QDialog::Accepted) return;
  TBusyCursor busy(dialogs_);
  PaintChoice(printer, *choice, calendar_);
}

void TPrintMenu::PdfOutExecute() {
  const std::optional<TPrintChoice> choice = Ask(QStringLiteral("PDF 出力"));
  if (!choice) return;
  const QString proposed =
      choice->Agenda
          ? DateText(choice->From, "%04d-%02d-%02d") + "_" +
                DateText(choice->To, "%04d-%02d-%02d") + ".pdf"
          : QString::asprintf("%04d-%02d.pdf", static_cast<int>(choice->Year), choice->Month);
  const std::optional<fs::path> chosen =
      dialogs_.ChooseSaveFile(kPdfFileFilter, fs::path(proposed.toStdString()));
  if (!chosen) return;
  const std::optional<fs::path> name = ConfirmSaveName(dialogs_, *chosen, ".pdf");
  if (!name) return;
  try {
    TBusyCursor busy(dialogs_);
    WritePdf(*choice, *name);
  } catch (const Exception& e) {
    dialogs_.ShowError(e.what());
  }
}

void TPrintMenu::WritePdf(const TPrintChoice& choice, const fs::path& path) const {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("Moriva"));
    writer.setTitle(choice.Agenda ? QString::fromStdString(AgendaTitle(choice))
                                  : QStringLiteral("%1年%2月").arg(choice.Year).arg(choice.Month));
    PaintChoice(writer, choice, calendar_);
  }
  // Through a temporary file, as every file the program writes: a failure keeps the old one.
  WriteFileAtomically(
      path, std::string_view(buffer.data().constData(), static_cast<size_t>(buffer.data().size())));
}

}  // namespace moriva
