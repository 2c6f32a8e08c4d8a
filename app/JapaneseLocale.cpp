#include "app/JapaneseLocale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>

namespace moriva {
namespace {

// Texts of Qt's that its Japanese translations leave out: the file dialogs' type column names
// a folder "Folder" beside files described in Japanese.
class TMissingQtTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* sourceText, const char*, int) const override {
    if (!context || !sourceText || std::strcmp(context, "QAbstractFileIconProvider") != 0)
      return {};
    static const struct {
      const char* English;
      const char* Japanese;
    } kTexts[] = {
        {"Folder", "フォルダー"}, {"File Folder", "ファイル フォルダー"},
        {"Drive", "ドライブ"},    {"Shortcut", "ショートカット"},
        {"Alias", "エイリアス"},  {"Unknown", "不明"},
    };
    for (const auto& t : kTexts)
      if (std::strcmp(sourceText, t.English) == 0) return QString::fromUtf8(t.Japanese);
    return {};
  }
};

}  // namespace

bool UseJapanese(QCoreApplication& app) {
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  QLocale::setDefault(japanese);
  auto* translator = new QTranslator(&app);
  if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  app.installTranslator(new TMissingQtTexts(&app));
  return app.installTranslator(translator);
}

}  // namespace moriva
