#include "app/FormFont.h"

#include <QStringList>

namespace moriva {

QFont FormFont(int pixelHeight) {
  QFont font;
  font.setFamilies(QStringList{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                               QStringLiteral("IPAGothic")});
  font.setPixelSize(pixelHeight);
  return font;
}

}  // namespace moriva
