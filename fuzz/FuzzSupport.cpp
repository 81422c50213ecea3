#include "FuzzSupport.h"

#include <filesystem>

namespace webaccess::fuzz {

namespace fs = std::filesystem;

void RemoveWorkingFiles() {
  for (const auto& entry : fs::directory_iterator(".")) fs::remove_all(entry.path());
}

std::string WithFiller(std::string_view input) {
  constexpr std::size_t kReadBuffer = 1 << 16;
  std::string text;
  switch (input.size() % 8) {
    case 0:
    case 1: {
      // Short lines; the input starts up to 16 bytes before the end of the
      // first read.
      const std::size_t fillerSize = kReadBuffer - input.size() % 17;
      const std::string_view lineEnd = input.size() % 8 == 0 ? "\r\n" : "\n";
      text.reserve(fillerSize + input.size());
      while (text.size() < fillerSize) {
        text.append(60, 'F');
        text += lineEnd;
      }
      text.resize(fillerSize);
      break;
    }
    case 2:
      // Two short lines, then a line longer than two reads that the input
      // continues.
      text = "HEAD\nHEAD\n";
      text.append(2 * kReadBuffer + 4321, 'H');
      break;
    default:
      break;
  }
  text += input;
  return text;
}

std::string_view InputReader::Line() {
  if (AtEnd()) return {};
  const std::size_t lf = text_.find('\n', pos_);
  const std::size_t end = lf == std::string_view::npos ? text_.size() : lf;
  const std::string_view line = text_.substr(pos_, end - pos_);
  pos_ = lf == std::string_view::npos ? text_.size() : lf + 1;
  return line;
}

}  // namespace webaccess::fuzz
