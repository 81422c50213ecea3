#include "files/LineReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "files/WorkFileError.h"

namespace webaccess::files {
namespace {
constexpr std::size_t kBufferSize = 1 << 16;

// The first byte of [begin, begin + size) that is one of `wanted`, or nullptr.
template <typename... Bytes>
const char* FindFirstOf(const char* begin, std::size_t size, Bytes... wanted) {
#if defined(__SSE2__)
  if (size >= 16) {
    const auto matches = [&](const char* p) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      __m128i match = _mm_setzero_si128();
      ((match = _mm_or_si128(match, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(wanted)))), ...);
      return match;
    };
    const auto firstMatch = [](const char* p, __m128i match) -> const char* {
      const auto bits = static_cast<unsigned>(_mm_movemask_epi8(match));
      return bits != 0 ? p + __builtin_ctz(bits) : nullptr;
    };
    const char* p = begin;
    const char* const end = begin + size;
    // 64 bytes a round, tested together; then 16 at a time.
    for (; end - p >= 64; p += 64) {
      const __m128i m0 = matches(p);
      const __m128i m1 = matches(p + 16);
      const __m128i m2 = matches(p + 32);
      const __m128i m3 = matches(p + 48);
      if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(m0, m1), _mm_or_si128(m2, m3))) == 0) {
        continue;
      }
      if (const char* hit = firstMatch(p, m0)) return hit;
      if (const char* hit = firstMatch(p + 16, m1)) return hit;
      if (const char* hit = firstMatch(p + 32, m2)) return hit;
      return firstMatch(p + 48, m3);
    }
    for (; end - p >= 16; p += 16) {
      if (const char* hit = firstMatch(p, matches(p))) return hit;
    }
    // The last block overlaps bytes already tested, which hold no match.
    return p == end ? nullptr : firstMatch(end - 16, matches(end - 16));
  }
#endif
  for (const char* p = begin; p < begin + size; ++p) {
    if (((*p == wanted) || ...)) return p;
  }
  return nullptr;
}

}  // namespace

LineReader::LineReader(const std::string& name, LineEnds ends)
    : name_(name), ends_(ends), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {
  file_ = os::File::Open(name, os::File::Mode::Read);
  if (!file_.IsOpen()) ThrowWorkFileError("open", name_);
}

LineReader::~LineReader() = default;

bool LineReader::Fill() {
  if (eof_) return false;
  pos_ = 0;
  len_ = 0;
  maskBlock_ = kNoBlock;
  const std::ptrdiff_t got = file_.Read(buffer_.get(), kBufferSize);
  if (got < 0) ThrowWorkFileError("read", name_);
  if (got == 0) {
    eof_ = true;
    return false;
  }
  len_ = static_cast<std::size_t>(got);
  return true;
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
      return FindFirstOf(begin, size, '\r', '\n');
  }
  return nullptr;
}

void LineReader::SkipLfAfterCr() {
  if (ends_ == LineEnds::Lf) return;
  if (pos_ >= len_ && !Fill()) return;
  if (buffer_[pos_] == '\n') ++pos_;
}

inline void LineReader::TakeLine(const char* begin, const char* end, std::string_view& line) {
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
}

bool LineReader::ReadLineView(std::string_view& line, char a, char b, bool& holds) {
  if (ends_ == LineEnds::CrOrCrLf && !AtEnd()) {
    // One pass finds the line end and tells whether either byte comes before it.
    const char* begin = buffer_.get() + pos_;
    const char* const end = buffer_.get() + len_;
    const char* hit = FindFirstOf(begin, len_ - pos_, '\r', a, b);
    if (hit != nullptr && *hit == '\r') {
      holds = false;
      TakeLine(begin, hit, line);
      return true;
    }
    // Either byte comes first: the line end lies beyond it.
    if (hit != nullptr) {
      const auto size = static_cast<std::size_t>(end - hit);
      if (const auto* cr = static_cast<const char*>(std::memchr(hit, '\r', size))) {
        holds = true;
        TakeLine(begin, cr, line);
        return true;
      }
    }
  }
  if (!ReadLineView(line)) return false;
  holds = FindEitherByte(line.data(), line.size(), a, b) != nullptr;
  return true;
}

void LineReader::LoadMask(std::size_t block, char other) {
  const char* const p = buffer_.get() + block;
  const std::size_t size = std::min<std::size_t>(64, len_ - block);
  std::uint64_t mask = 0;
#if defined(__SSE2__)
  if (size == 64) {
    for (int i = 0; i < 4; ++i) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
      const __m128i match = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')),
                                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))),
                                         _mm_cmpeq_epi8(bytes, _mm_set1_epi8(other)));
      mask |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(match))} << (16 * i);
    }
  } else
#endif
  {
    for (std::size_t i = 0; i < size; ++i) {
      if (p[i] == '\r' || p[i] == '\n' || p[i] == other) mask |= std::uint64_t{1} << i;
    }
  }
  maskBlock_ = block;
  maskOther_ = other;
  mask_ = mask;
}

bool LineReader::ReadLineView(std::string_view& line) {
  if (AtEnd()) return false;
  const char* begin = buffer_.get() + pos_;
  const char* end = FindLineEnd(begin, len_ - pos_);
  if (end != nullptr) {
    TakeLine(begin, end, line);
    return true;
  }
  // The line goes on in the next read.
  carry_.assign(begin, len_ - pos_);
  pos_ = len_;
  while (Fill()) {
    begin = buffer_.get();
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

const char* FindEitherByte(const char* begin, std::size_t size, char a, char b) {
  return FindFirstOf(begin, size, a, b);
}

bool FileHoldsCr(const std::string& name) {
  os::File file = os::File::Open(name, os::File::Mode::Read);
  if (!file.IsOpen()) return false;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
  for (;;) {
    const std::ptrdiff_t got = file.Read(buffer.get(), kBufferSize);
    if (got <= 0) return false;
    if (std::memchr(buffer.get(), '\r', static_cast<std::size_t>(got)) != nullptr) return true;
  }
}

}  // namespace webaccess::files
