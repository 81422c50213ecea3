#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/ScratchFiles.h"
#include "support/WorkFileText.h"

namespace webaccess::fuzz {

// An invariant of the code under test does not hold for an input. The
// libFuzzer entry points turn it into a crash; the regression test into a
// failure.
class InvariantBroken : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

inline void Check(bool holds, const char* what) {
  if (!holds) throw InvariantBroken(what);
}

// The lines of a file, split the plain way (testing::SplitLines).
using testing::LineEnds;
using testing::ReadFile;
using testing::ScratchDirectory;
using testing::SplitLines;
using testing::WriteFile;

// Deletes every file of the working directory: each input starts afresh.
void RemoveWorkingFiles();

// The input as the content of a work file. For three inputs in eight (chosen
// by their size) filler comes first: nearly 64 KiB of short lines ended in CR
// LF or in LF alone, so that the input's lines and line ends fall on the
// boundary between two reads of the work-file readers; or a line longer than
// two reads, which the input's first line continues.
std::string WithFiller(std::string_view input);

// Reads an input front to back; past its end every read gives zeros.
class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size)
      : text_(reinterpret_cast<const char*>(data), size) {}
  explicit InputReader(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  std::uint8_t Byte() { return AtEnd() ? 0 : static_cast<std::uint8_t>(text_[pos_++]); }
  // The text up to the next LF (without it), or to the end.
  std::string_view Line();

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace webaccess::fuzz
