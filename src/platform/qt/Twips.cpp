#include "platform/qt/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace webaccess::platform {
namespace {

int Scaled(int value, double factor) { return static_cast<int>(std::lround(value * factor)); }

}  // namespace

TwipsScale TwipsScale::ForScreen(const QScreen* screen) {
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return TwipsScale(96.0, 96.0);
  return TwipsScale(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());
}

int TwipsScale::ToPixelsX(int twips) const { return Scaled(twips, dpiX_ / kTwipsPerInch); }
int TwipsScale::ToPixelsY(int twips) const { return Scaled(twips, dpiY_ / kTwipsPerInch); }
int TwipsScale::ToTwipsX(int pixels) const { return Scaled(pixels, kTwipsPerInch / dpiX_); }
int TwipsScale::ToTwipsY(int pixels) const { return Scaled(pixels, kTwipsPerInch / dpiY_); }

QRect TwipsScale::ToPixels(int left, int top, int width, int height) const {
  return QRect(ToPixelsX(left), ToPixelsY(top), ToPixelsX(width), ToPixelsY(height));
}

}  // namespace webaccess::platform
