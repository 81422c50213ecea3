#pragma once

#include <QIcon>

namespace webaccess::ui {

// The program's own icon, 32 by 32 pixels in a handful of plain colours.
QIcon AppIcon();

}  // namespace webaccess::ui
