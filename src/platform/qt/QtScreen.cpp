#include "platform/qt/QtScreen.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/qt/Twips.h"

namespace webaccess::platform {

int QtScreen::WidthTwips() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? TwipsScale::ForScreen(screen).ToTwipsX(screen->geometry().width()) : 0;
}

int QtScreen::HeightTwips() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? TwipsScale::ForScreen(screen).ToTwipsY(screen->geometry().height()) : 0;
}

}  // namespace webaccess::platform
