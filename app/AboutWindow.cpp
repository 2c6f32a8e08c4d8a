#include "app/AboutWindow.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>

#include "Version.h"
#include "app/AppIcon.h"
#include "app/FormFont.h"

namespace moriva {
namespace {

const QColor kBackground(255, 255, 215);

QFont TitleFont() {
  QFont font;
  // Where the first face is missing, faces of the same widths come next, so that the title keeps
  // its place in the panel; a wider serif is the last resort.
  font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                    QStringLiteral("Nimbus Roman"), QStringLiteral("DejaVu Serif")});
  font.setPixelSize(32);
  font.setBold(true);
  font.setItalic(true);
  return font;
}

}  // namespace

QString GetVersionText() {
  return QStringLiteral("Ver.") + QStringLiteral(MORIVA_VERSION_TEXT);
}

TAboutWindow::TAboutWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setFixedSize(209, 152);
  setFont(FormFont(12));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kBackground);
  setPalette(pal);
  setAutoFillBackground(true);

  Frame = new QFrame(this);
  Frame->setGeometry(0, 0, 209, 152);
  Frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Frame->setLineWidth(3);

  Icon = new QLabel(Frame);
  Icon->setGeometry(8, 8, 32, 32);
  Icon->setPixmap(ProgramIconPixmap(32));

  Title = new QLabel(QStringLiteral("Moriva "), Frame);
  Title->setFont(TitleFont());
  Title->setStyleSheet(QStringLiteral("color: blue"));
  Title->adjustSize();
  Title->move(80, 8);

  lblVer = new QLabel(Frame);
  lblVer->setAlignment(Qt::AlignRight | Qt::AlignTop);
  lblVer->setGeometry(190 - 150, 48, 150, 16);

  Rights = new QLabel(QString::fromUtf8(kRightsNotice), Frame);
  Rights->adjustSize();
  Rights->move(40, 104);

  URL = new QLabel(QString::fromUtf8(kWebAddress), Frame);
  URL->setGeometry(16, 120, 177, 17);
  URL->setAlignment(Qt::AlignCenter);
  QFont linkFont = FormFont(12);
  linkFont.setUnderline(true);
  URL->setFont(linkFont);
  URL->setStyleSheet(QStringLiteral("color: blue"));
  // The hand pointer marks the link; over the rest of the window the arrow stays.
  URL->setCursor(Qt::PointingHandCursor);
  URL->installEventFilter(this);

  OpenLink = [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); };
}

void TAboutWindow::FormShow() {
  lblVer->setText(GetVersionText());
}

void TAboutWindow::showEvent(QShowEvent* event) {
  FormShow();
  if (QScreen* s = screen()) {
    move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
  }
  QDialog::showEvent(event);
}

bool TAboutWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == URL && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    URLClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TAboutWindow::URLClick() {
  if (OpenLink) OpenLink(URL->text());
}

}  // namespace moriva
