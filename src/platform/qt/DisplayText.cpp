#include "platform/qt/DisplayText.h"

namespace webaccess::platform {

QString DisplayText(const std::string& text) {
  QString display = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return display;
}

}  // namespace webaccess::platform
