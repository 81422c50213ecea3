#pragma once

#include <QString>
#include <string>

namespace webaccess::platform {

// The core's texts are one byte a character, lines separated by CR LF; the
// toolkit shows them with LF between the lines.
QString DisplayText(const std::string& text);

}  // namespace webaccess::platform
