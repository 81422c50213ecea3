#pragma once

#include <QIcon>

namespace webaccess::ui {

// The program's own icon, the same pictures that are installed for the
// desktop, taken from the program's resources.
QIcon AppIcon();

}  // namespace webaccess::ui
