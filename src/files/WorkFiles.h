#pragma once

#include <string>
#include <string_view>

#include "files/Channels.h"
#include "ports/Clock.h"

namespace webaccess::files {

// Formats a trace line's time stamp: "MM/DD/YYYY hh:mm:ss" with the given
// separators.
std::string TraceStamp(const ports::LocalTime& time, char dateSeparator, char timeSeparator);

// Deletes the named work file; a missing file is no error.
void DeleteIfPresent(Channels& channels, const std::string& name);

// The trace, message and audit files and the response backup.
class WorkFiles {
 public:
  explicit WorkFiles(const ports::Clock& clock) : clock_(clock) {}

  Channels& channels() { return channels_; }

  // A fresh TRACE.QDK, held open on channel 6.
  void StartTrace();
  // Appends "date time text" to the trace file.
  void WriteTrace(std::string_view text);
  // Appends the text as one line to the message file.
  void WriteMessage(std::string_view text);
  // At the start of a run: fresh message and audit files, the previous
  // RESPONSE.QDK moved to RESPONSE.BAK.
  void ResetWorkFiles();

 private:
  const ports::Clock& clock_;
  Channels channels_;
};

}  // namespace webaccess::files
