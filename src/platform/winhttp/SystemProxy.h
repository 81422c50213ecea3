#pragma once

// clang-format off
#include <windows.h>
#include <winhttp.h>
// clang-format on

#include <string>

#include "platform/winhttp/ProxyRules.h"

namespace webaccess::platform {

// The route the system's proxy settings give a URL: the user's Internet
// Options, with a fixed proxy and its bypass list, or a proxy script (named,
// or found by automatic detection) that `session` runs. Straight to the
// server when the settings name no proxy or cannot be read.
ProxyRoute SystemRoute(const std::string& url, HINTERNET session);

}  // namespace webaccess::platform
