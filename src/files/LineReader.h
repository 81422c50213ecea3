#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace webaccess::files {

// Reads a work file line by line, as bytes, with an end-of-file test.
class LineReader {
 public:
  enum class LineEnds {
    CrOrCrLf,  // CR or CR LF end a line; a lone LF is part of the line
    Lf,        // LF alone ends a line
    Any,       // CR LF, CR or LF end a line
  };

  // Throws WorkFileError when the file cannot be opened.
  LineReader(const std::string& name, LineEnds ends);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // True when every byte has been read.
  bool AtEnd();
  // Reads the next line without its line end into `line`; false at the end.
  bool ReadLine(std::string& line);

 private:
  bool Fill();  // reads more bytes; false at the end of the file

  std::string name_;
  LineEnds ends_;
  int fd_ = -1;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  bool eof_ = false;
};

// True when the file holds at least one CR byte. A missing file holds none.
bool FileHoldsCr(const std::string& name);

}  // namespace webaccess::files
