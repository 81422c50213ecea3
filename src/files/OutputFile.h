#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace webaccess::files {

// A work file written as bytes: lines end in CR LF, one byte per character.
// Writes are buffered; Sync puts everything written so far on the disk.
class OutputFile {
 public:
  enum class Mode { Create, Append };

  OutputFile(const std::string& name, Mode mode);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(std::string_view bytes);
  void WriteLine(std::string_view text);  // text and CR LF
  void Flush();
  void Sync();
  void Close();  // flushes; reports a failed write
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  std::FILE* file_ = nullptr;
};

}  // namespace webaccess::files
