#include "app/FileDrop.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "app/QtDialogs.h"

namespace moriva {

TPaths LocalFiles(const QMimeData& data) {
  TPaths paths;
  if (!data.hasUrls()) return paths;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) paths.push_back(QStringToPath(url.toLocalFile()));
  }
  return paths;
}

TFileDrop::TFileDrop(QWidget& window, std::function<bool(const TPaths&)> takes,
                     std::function<void(const TPaths&)> open)
    : QObject(&window), window_(window), takes_(std::move(takes)), open_(std::move(open)) {
  window_.setAcceptDrops(true);
  window_.installEventFilter(this);
}

bool TFileDrop::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &window_) return false;
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      const TPaths paths = LocalFiles(*drag->mimeData());
      // Nothing is taken under an open dialog: the window is not the user's to change then.
      if (!QApplication::activeModalWidget() && takes_(paths)) {
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
      } else {
        drag->ignore();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const TPaths paths = LocalFiles(*drop->mimeData());
      if (QApplication::activeModalWidget() || !takes_(paths)) {
        drop->ignore();
        return true;
      }
      drop->setDropAction(Qt::CopyAction);
      drop->accept();
      window_.activateWindow();
      QMetaObject::invokeMethod(
          this,
          [this, paths] {
            if (takes_(paths)) open_(paths);
          },
          Qt::QueuedConnection);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace moriva
