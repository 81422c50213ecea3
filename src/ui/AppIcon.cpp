#include "ui/AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace webaccess::ui {

QIcon AppIcon() {
  QPixmap image(32, 32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  // A navy globe with its lines of latitude and longitude, and a white V.
  painter.setPen(QPen(QColor(0, 0, 128), 2));
  painter.setBrush(QColor(0, 128, 128));
  painter.drawEllipse(2, 2, 28, 28);
  painter.setPen(QPen(QColor(0, 0, 128), 1));
  painter.drawLine(3, 16, 29, 16);
  painter.drawEllipse(10, 3, 12, 26);
  painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.drawPolyline(QPolygon({QPoint(9, 9), QPoint(16, 24), QPoint(23, 9)}));
  painter.end();
  return QIcon(image);
}

}  // namespace webaccess::ui
