#include "files/OutputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/WorkFileError.h"

namespace webaccess::files {
namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

OutputFile::OutputFile(const std::string& name, Mode mode) : name_(name) {
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::Create ? O_TRUNC : O_APPEND);
  fd_ = ::open(name.c_str(), flags, 0666);
  if (fd_ < 0) ThrowWorkFileError("open", name_);
  buffer_.resize(kBufferSize);
}

OutputFile::~OutputFile() {
  if (fd_ < 0) return;
  WriteOut(buffer_.data(), used_);
  ::close(fd_);
}

bool OutputFile::WriteOut(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

void OutputFile::Write(std::string_view bytes) {
  if (fd_ < 0) ThrowWorkFileError("write (not open)", name_);
  if (bytes.size() > buffer_.size() - used_) {
    Flush();
    if (bytes.size() >= buffer_.size()) {
      unsynced_ = true;
      if (!WriteOut(bytes.data(), bytes.size())) ThrowWorkFileError("write", name_);
      return;
    }
  }
  if (bytes.empty()) return;  // an empty view may hold no address at all
  unsynced_ = true;
  std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void OutputFile::Flush() {
  if (fd_ < 0 || used_ == 0) return;
  const std::size_t size = used_;
  used_ = 0;  // what fails to go out is reported, not written again
  if (!WriteOut(buffer_.data(), size)) ThrowWorkFileError("write", name_);
}

void OutputFile::Sync() {
  Flush();
  if (fd_ < 0 || !unsynced_) return;
  // The data and the file's length, which is all a reader needs.
  if (::fdatasync(fd_) != 0) ThrowWorkFileError("sync", name_);
  unsynced_ = false;
}

void OutputFile::Close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  bool ok = WriteOut(buffer_.data(), used_);
  int error = errno;
  used_ = 0;
  fd_ = -1;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    errno = error;
    ThrowWorkFileError("close", name_);
  }
}

void SyncWorkingDirectory() {
  const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) ThrowWorkFileError("open", ".");
  const bool synced = ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  if (!synced) {
    errno = error;
    ThrowWorkFileError("sync", ".");
  }
}

}  // namespace webaccess::files
