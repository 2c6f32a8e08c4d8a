#pragma once
// Files dragged from a file manager onto a window: the drag is taken only when it carries a
// file the window can use, and the files are handed over after the drop has returned, so a
// question the window then asks does not hold the file manager waiting.
#include <QObject>
#include <filesystem>
#include <functional>
#include <vector>

class QMimeData;
class QWidget;

namespace moriva {

using TPaths = std::vector<std::filesystem::path>;

// The local files a drag carries, in its order; links to anything else are left out.
TPaths LocalFiles(const QMimeData& data);

class TFileDrop : public QObject {
  Q_OBJECT

 public:
  // `window` accepts drops from now on. `takes` says whether the paths hold a file the window
  // can use right now (false, e.g., while a transfer runs); `open` gets the dropped paths.
  TFileDrop(QWidget& window, std::function<bool(const TPaths&)> takes,
            std::function<void(const TPaths&)> open);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  std::function<bool(const TPaths&)> takes_;
  std::function<void(const TPaths&)> open_;
};

}  // namespace moriva
