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

QIcon ActionIcon(int index) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QPen outline(QColor(40, 40, 90), 1);
  p.setPen(outline);
  switch (index) {
    case 0:  // 予定編集: a leaf with a pencil
      p.setBrush(Qt::white);
      p.drawRect(QRectF(1.5, 2.5, 10, 12));
      p.setPen(QPen(QColor(200, 120, 0), 2.5));
      p.drawLine(QPointF(6, 11), QPointF(14, 3));
      break;
    case 2:  // 読込: an open folder
      p.setBrush(QColor(240, 200, 80));
      p.drawRect(QRectF(1.5, 4.5, 13, 9));
      p.setBrush(QColor(250, 225, 130));
      p.drawPolygon(QPolygonF{{1.5, 13.5}, {4.5, 7.5}, {15.5, 7.5}, {14.5, 13.5}});
      break;
    case 3:  // 保存: a disk
      p.setBrush(QColor(60, 90, 170));
      p.drawRect(QRectF(1.5, 1.5, 13, 13));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 1.5, 7, 5));
      break;
    case 4:  // H"送信: an arrow out of a handset
    case 7:  // H"受信: an arrow into it
      p.setBrush(QColor(200, 200, 210));
      p.drawRoundedRect(QRectF(9.5, 1.5, 5, 13), 1, 1);
      p.setPen(QPen(index == 4 ? QColor(0, 130, 0) : QColor(0, 0, 180), 2));
      p.drawLine(QPointF(1, 8), QPointF(8, 8));
      p.drawLine(index == 4 ? QPointF(5, 5) : QPointF(4, 5), QPointF(index == 4 ? 8 : 1, 8));
      break;
    case 5:  // XML出力: angle brackets
      p.setPen(QPen(QColor(150, 0, 150), 1.6));
      p.drawPolyline(QPolygonF{{6, 3}, {1.5, 8}, {6, 13}});
      p.drawPolyline(QPolygonF{{10, 3}, {14.5, 8}, {10, 13}});
      break;
    case 6:  // 終了: a door
      p.setBrush(QColor(150, 90, 40));
      p.drawRect(QRectF(3.5, 1.5, 9, 13));
      p.setBrush(Qt::yellow);
      p.drawEllipse(QPointF(10, 8), 1, 1);
      break;
    case 8:  // 受信キャンセル: a stop sign
      p.setBrush(QColor(210, 30, 30));
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      p.setPen(QPen(Qt::white, 2));
      p.drawLine(QPointF(5, 5), QPointF(11, 11));
      p.drawLine(QPointF(11, 5), QPointF(5, 11));
      break;
    case 13:  // 新規: a blank leaf with a folded corner
      p.setBrush(Qt::white);
      p.drawPolygon(QPolygonF{{2.5, 1.5}, {10.5, 1.5}, {13.5, 4.5}, {13.5, 14.5}, {2.5, 14.5}});
      break;
    case 14:  // CSV: a small table
      p.setBrush(Qt::white);
      p.drawRect(QRectF(1.5, 2.5, 13, 11));
      p.drawLine(QPointF(1.5, 6.5), QPointF(14.5, 6.5));
      p.drawLine(QPointF(1.5, 10), QPointF(14.5, 10));
      p.drawLine(QPointF(6, 2.5), QPointF(6, 13.5));
      p.drawLine(QPointF(10.5, 2.5), QPointF(10.5, 13.5));
      break;
    default:
      return QIcon();
  }
  p.end();
  return QIcon(pixmap);
}

}  // namespace moriva
