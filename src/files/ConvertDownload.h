#pragma once

#include <functional>
#include <string_view>

#include "files/WorkFiles.h"
#include "ports/Clock.h"

namespace webaccess::files {

// Turns DOWN.TXT into the run's output files: body pieces are appended to
// RESPONSE.QDK, one line per response record goes to the audit file (channel
// 8, already open), server messages to the message file. Closes channel 1
// (where DOWN.TXT may still be open for writing) before reading. Everything
// written is on the disk when it returns. `passEvents` lets pending window
// events run; it is called between lines, time-sliced. Returns true when the
// download held the completed marker.
bool ConvertDownload(WorkFiles& files, const ports::Clock& clock, std::string_view userId,
                     const std::function<void()>& passEvents);

}  // namespace webaccess::files
