#include "files/LineReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "files/WorkFileError.h"

namespace webaccess::files {
namespace {
constexpr std::size_t kBufferSize = 1 << 16;

// The first CR or LF byte, or nullptr.
const char* FindCrOrLf(const char* p, std::size_t size) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; size >= 16; p += 16, size -= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto hits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf))));
    if (hits != 0) return p + __builtin_ctz(hits);
  }
#endif
  for (; size > 0; ++p, --size) {
    if (*p == '\r' || *p == '\n') return p;
  }
  return nullptr;
}

}  // namespace

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
  std::string_view view;
  if (!ReadLineView(view)) {
    line.clear();
    return false;
  }
  line.assign(view);
  return true;
}

const char* LineReader::FindLineEnd(const char* begin, std::size_t size) const {
  switch (ends_) {
    case LineEnds::CrOrCrLf:
      return static_cast<const char*>(std::memchr(begin, '\r', size));
    case LineEnds::Lf:
      return static_cast<const char*>(std::memchr(begin, '\n', size));
    case LineEnds::Any:
      return FindCrOrLf(begin, size);
  }
  return nullptr;
}

void LineReader::SkipLfAfterCr() {
  if (ends_ == LineEnds::Lf) return;
  if (pos_ >= len_ && !Fill()) return;
  if (buffer_[pos_] == '\n') ++pos_;
}

bool LineReader::ReadLineView(std::string_view& line) {
  if (AtEnd()) return false;
  const char* begin = buffer_.data() + pos_;
  const char* end = FindLineEnd(begin, len_ - pos_);
  if (end != nullptr) {
    const auto length = static_cast<std::size_t>(end - begin);
    pos_ += length + 1;
    if (*end != '\r' || ends_ == LineEnds::Lf) {
      line = std::string_view(begin, length);
    } else if (pos_ < len_) {
      if (buffer_[pos_] == '\n') ++pos_;
      line = std::string_view(begin, length);
    } else {
      // The CR is the last byte read: the next read that looks for its LF
      // reuses the buffer, so the line is kept aside first.
      carry_.assign(begin, length);
      SkipLfAfterCr();
      line = carry_;
    }
    return true;
  }
  // The line goes on in the next read.
  carry_.assign(begin, len_ - pos_);
  pos_ = len_;
  while (Fill()) {
    begin = buffer_.data();
    end = FindLineEnd(begin, len_);
    if (end == nullptr) {
      carry_.append(begin, len_);
      pos_ = len_;
      continue;
    }
    carry_.append(begin, static_cast<std::size_t>(end - begin));
    pos_ = static_cast<std::size_t>(end - begin) + 1;
    if (*end == '\r') SkipLfAfterCr();
    break;
  }
  line = carry_;  // the last line of the file may have no line end
  return true;
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
