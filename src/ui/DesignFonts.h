#pragma once

#include <QFont>

namespace webaccess::ui {

// The windows were designed in "MS Sans Serif" and "Courier New". Neither is
// installed here: "MS Sans Serif" is drawn in DejaVu Sans, a sans font that
// is (with the sans-serif style hint as the fallback), and "Courier New" in
// DejaVu Sans Mono, fixed pitch (with the typewriter style hint as the
// fallback), so that the request list's columns still line up.
inline constexpr const char* kSansFace = "DejaVu Sans";
inline constexpr const char* kFixedFace = "DejaVu Sans Mono";

QFont SansFont(double points, bool bold);
QFont FixedFont(double points, bool bold);

}  // namespace webaccess::ui
