#include "app/AppIcon.h"

#include <QPainter>

namespace moriva {

QPixmap ProgramIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size / 32.0;
  p.scale(s, s);
  // The leaf with its binding strip.
  p.setPen(QPen(QColor(40, 40, 90), 1.2));
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(2.5, 4.5, 27, 25), 2.5, 2.5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 30, 30));
  p.drawRect(QRectF(3.1, 5.1, 25.8, 6));
  // A 4 x 3 grid of days; one is the marked one.
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      const bool marked = row == 1 && col == 2;
      p.setBrush(marked ? QColor(0, 150, 0) : QColor(120, 120, 150));
      const qreal d = marked ? 4.6 : 3.2;
      p.drawEllipse(QPointF(7.5 + col * 5.7, 15.5 + row * 4.6), d / 2, d / 2);
    }
  }
  // The rings.
  p.setBrush(QColor(40, 40, 90));
  p.drawRect(QRectF(9, 2, 2, 5));
  p.drawRect(QRectF(21, 2, 2, 5));
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(ProgramIconPixmap(size));
  return icon;
}

}  // namespace moriva
