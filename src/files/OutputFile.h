#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace webaccess::files {

// A work file written as bytes: lines end in CR LF, one byte per character.
// Writes are buffered; Sync puts everything written so far on the disk.
class OutputFile {
 public:
  enum class Mode { Create, Append };

  OutputFile(const std::string& name, Mode mode);
  ~OutputFile();  // writes out what is buffered, reporting nothing
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(std::string_view bytes);
  void WriteLine(std::string_view text);  // text and CR LF
  void Flush();
  void Sync();
  void Close();  // flushes; reports a failed write
  const std::string& Name() const { return name_; }

 private:
  // Writes all of the bytes to the file; false with errno set when that fails.
  bool WriteOut(const char* data, std::size_t size);

  std::string name_;
  int fd_ = -1;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
};

}  // namespace webaccess::files
