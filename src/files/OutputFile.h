#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "os/FileSystem.h"

namespace webaccess::files {

// A work file written as bytes: lines end in CR LF, one byte per character.
// Writes are buffered; Sync puts everything written so far on the disk (a
// file with nothing written since its last sync costs nothing).
class OutputFile {
 public:
  enum class Mode { Create, Append };

  OutputFile(const std::string& name, Mode mode);
  ~OutputFile();  // writes out what is buffered, reporting nothing
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(std::string_view bytes);
  // The text and CR LF.
  void WriteLine(std::string_view text) {
    if (file_.IsOpen() && text.size() + 2 <= kBufferSize - used_) {
      char* out = buffer_.get() + used_;
      if (!text.empty()) std::memcpy(out, text.data(), text.size());
      out[text.size()] = '\r';
      out[text.size() + 1] = '\n';
      used_ += text.size() + 2;
      unsynced_ = true;
      return;
    }
    Write(text);
    Write("\r\n");
  }
  void Flush();
  void Sync();
  void Close();  // flushes; reports a failed write
  const std::string& Name() const { return name_; }

 private:
  static constexpr std::size_t kBufferSize = 1 << 16;

  // Writes all of the bytes to the file; false with errno set when that fails.
  bool WriteOut(const char* data, std::size_t size);

  std::string name_;
  os::File file_;
  // Not cleared when made: only the bytes up to used_ are ever read.
  std::unique_ptr<char[]> buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
  std::size_t used_ = 0;
  bool unsynced_ = false;  // written to since it was opened or last synced
};

// Puts the working directory's entries on the disk: a work file created
// since the last call exists for good only then.
void SyncWorkingDirectory();

}  // namespace webaccess::files
