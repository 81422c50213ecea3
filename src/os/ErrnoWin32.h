#pragma once

#include <windows.h>

namespace webaccess::os {

// The errno value that stands for a Windows error code, so that reports read
// as on other systems; EIO for a code without one.
int ErrnoFromWindowsError(DWORD error);

}  // namespace webaccess::os
