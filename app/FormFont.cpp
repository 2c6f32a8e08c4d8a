#include "app/FormFont.h"

#include <QApplication>
#include <QStringList>

namespace moriva {

QFont FormFont(int pixelHeight) {
  QFont font;
  font.setFamilies(QStringList{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                               QStringLiteral("IPAGothic")});
  font.setPixelSize(pixelHeight);
  return font;
}

void UseFormFontThroughout() {
  // Without a class name this also drops the fonts a theme gave to single kinds of widget.
  QApplication::setFont(FormFont());
}

}  // namespace moriva
