#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "os/FileSystem.h"

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
  // The same without a copy: `line` stays valid until the next read.
  bool ReadLineView(std::string_view& line);
  // The same, and `holds` tells whether the line holds byte `a` or byte `b`
  // (neither of them CR).
  bool ReadLineView(std::string_view& line, char a, char b, bool& holds);
  // With CR or CR LF line ends: the next line with its line end, as it
  // stands in the file and without a copy, when it ends in CR LF, is not
  // empty and holds no other CR, no LF and no byte `other`. Empty when the
  // next line is not such a line or does not lie whole in what has been read
  // so far: this never reads more, so the lines it hands out one after
  // another stay valid, side by side, until the next ReadLine or ReadLineView.
  std::string_view ReadPlainLine(char other) {
    if (ends_ != LineEnds::CrOrCrLf || pos_ >= len_) return {};
    // The line ends at the first CR, LF or `other` from the read position.
    std::size_t block = pos_ & ~std::size_t{63};
    if (block != maskBlock_ || other != maskOther_) LoadMask(block, other);
    std::uint64_t bits = mask_ >> (pos_ - block);
    std::size_t from = pos_;
    while (bits == 0) {
      block += 64;
      if (block >= len_) return {};
      LoadMask(block, other);
      bits = mask_;
      from = block;
    }
    const char* const begin = buffer_.get() + pos_;
    const char* const hit = buffer_.get() + from + std::countr_zero(bits);
    const char* const end = buffer_.get() + len_;
    if (hit == begin || *hit != '\r' || end - hit < 2 || hit[1] != '\n') return {};
    const auto size = static_cast<std::size_t>(hit + 2 - begin);
    pos_ += size;
    return {begin, size};
  }

 private:
  bool Fill();  // reads more bytes; false at the end of the file
  const char* FindLineEnd(const char* begin, std::size_t size) const;
  // Hands out the line from `begin` to its line end `end`, found in the buffer.
  void TakeLine(const char* begin, const char* end, std::string_view& line);
  // After a CR that ends a line, skips the LF that may follow it.
  void SkipLfAfterCr();
  // Sets mask_: bit i where the buffer's byte at `block` + i (a multiple of
  // 64) is CR, LF or `other`. Most lines end in the block where the one
  // before them ended, so the mask is kept for the next line.
  void LoadMask(std::size_t block, char other);

  std::string name_;
  LineEnds ends_;
  os::File file_;
  std::unique_ptr<char[]> buffer_;  // not cleared: only the bytes up to len_ are read
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  bool eof_ = false;
  std::string carry_;  // a line that does not lie whole in the buffer
  std::size_t maskBlock_ = kNoBlock;
  char maskOther_ = 0;
  std::uint64_t mask_ = 0;
  static constexpr std::size_t kNoBlock = ~std::size_t{0};
};

// The first byte of [begin, begin + size) that is `a` or `b`, or nullptr.
const char* FindEitherByte(const char* begin, std::size_t size, char a, char b);

// True when the file holds at least one CR byte. A missing file holds none.
bool FileHoldsCr(const std::string& name);

}  // namespace webaccess::files
