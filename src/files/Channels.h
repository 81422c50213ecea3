#pragma once

#include <map>
#include <memory>
#include <string>

#include "files/LineReader.h"
#include "files/OutputFile.h"

namespace webaccess::files {

// The open work files, addressed by fixed channel numbers.
enum Channel : int {
  kShortLived = 1,  // INQUIRY.QDK counted or listed, DOWN.TXT, RESPONSE.QDK probed
  kResponse = 2,    // RESPONSE.QDK appended by the conversion
  kTrace = 6,       // TRACE.QDK, the whole program
  kInquiry = 7,     // INQUIRY.QDK read for sending, the whole run
  kAudit = 8,       // AUDIT.QDK, the whole run
  kMessage = 17,    // MESSAGE.QDK, the whole run
  kScratch = 33,    // delete-if-present
};

class Channels {
 public:
  OutputFile& OpenOutput(Channel channel, const std::string& name, OutputFile::Mode mode);
  LineReader& OpenInput(Channel channel, const std::string& name, LineReader::LineEnds ends);

  // The file open for writing or reading on the channel, or nullptr.
  OutputFile* Output(Channel channel);
  LineReader* Input(Channel channel);
  bool IsOpen(Channel channel) const;

  // Closing a channel that is not open is no error.
  void Close(Channel channel);
  // Flushes and closes every open file, reporting nothing: the program is ending.
  void CloseAllQuietly() noexcept;
  // Flushes every file open for writing.
  void FlushAll();

 private:
  struct Slot {
    std::unique_ptr<OutputFile> output;
    std::unique_ptr<LineReader> input;
  };
  std::map<int, Slot> slots_;
};

}  // namespace webaccess::files
