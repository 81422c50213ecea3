#pragma once

#include <QRect>

class QScreen;

namespace webaccess::platform {

inline constexpr double kTwipsPerInch = 1440.0;

// Converts between twips (1440 to the inch) and the toolkit's pixels at the
// screen's logical dots per inch, rounding to the nearest whole unit.
class TwipsScale {
 public:
  TwipsScale(double dpiX, double dpiY) : dpiX_(dpiX), dpiY_(dpiY) {}
  // The scale of the given screen, or of the primary screen.
  static TwipsScale ForScreen(const QScreen* screen = nullptr);

  int ToPixelsX(int twips) const;
  int ToPixelsY(int twips) const;
  int ToTwipsX(int pixels) const;
  int ToTwipsY(int pixels) const;
  // A designed rectangle: left, top, width, height in twips.
  QRect ToPixels(int left, int top, int width, int height) const;

  double DpiX() const { return dpiX_; }
  double DpiY() const { return dpiY_; }

 private:
  double dpiX_;
  double dpiY_;
};

}  // namespace webaccess::platform
