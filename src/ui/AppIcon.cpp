#include "ui/AppIcon.h"

// The resources live in a static library: naming them keeps them linked in.
static void LoadIconResources() { Q_INIT_RESOURCE(webaccess); }

namespace webaccess::ui {

QIcon AppIcon() {
  LoadIconResources();
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/webaccess-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace webaccess::ui
