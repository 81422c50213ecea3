#include "ui/DesignFonts.h"

namespace webaccess::ui {

QFont SansFont(double points, bool bold) {
  QFont font(QString::fromLatin1(kSansFace));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

QFont FixedFont(double points, bool bold) {
  QFont font(QString::fromLatin1(kFixedFace));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

}  // namespace webaccess::ui
