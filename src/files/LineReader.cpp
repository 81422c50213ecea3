#include "files/LineReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/WorkFileError.h"

namespace webaccess::files {
namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

LineReader::LineReader(const std::string& name, LineEnds ends)
    : name_(name), ends_(ends), buffer_(kBufferSize) {
  fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) ThrowWorkFileError("open", name_);
}

LineReader::~LineReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool LineReader::Fill() {
  if (eof_) return false;
  pos_ = 0;
  len_ = 0;
  for (;;) {
    const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
    if (got > 0) {
      len_ = static_cast<std::size_t>(got);
      return true;
    }
    if (got == 0) {
      eof_ = true;
      return false;
    }
    if (errno != EINTR) ThrowWorkFileError("read", name_);
  }
}

bool LineReader::AtEnd() { return pos_ >= len_ && !Fill(); }

bool LineReader::ReadLine(std::string& line) {
  line.clear();
  if (AtEnd()) return false;
  for (;;) {
    const char* begin = buffer_.data() + pos_;
    const std::size_t avail = len_ - pos_;
    const char* end = nullptr;
    switch (ends_) {
      case LineEnds::CrOrCrLf:
        end = static_cast<const char*>(std::memchr(begin, '\r', avail));
        break;
      case LineEnds::Lf:
        end = static_cast<const char*>(std::memchr(begin, '\n', avail));
        break;
      case LineEnds::Any:
        for (const char* p = begin; p < begin + avail; ++p) {
          if (*p == '\r' || *p == '\n') {
            end = p;
            break;
          }
        }
        break;
    }
    if (end == nullptr) {
      line.append(begin, avail);
      pos_ = len_;
      if (!Fill()) return true;  // the last line has no line end
      continue;
    }
    line.append(begin, static_cast<std::size_t>(end - begin));
    const bool cr = *end == '\r';
    pos_ += static_cast<std::size_t>(end - begin) + 1;
    if (cr && ends_ != LineEnds::Lf) {
      if (pos_ >= len_ && !Fill()) return true;
      if (buffer_[pos_] == '\n') ++pos_;
    }
    return true;
  }
}

bool FileHoldsCr(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::vector<char> buffer(kBufferSize);
  bool found = false;
  for (;;) {
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    if (std::memchr(buffer.data(), '\r', static_cast<std::size_t>(got)) != nullptr) {
      found = true;
      break;
    }
  }
  ::close(fd);
  return found;
}

}  // namespace webaccess::files
