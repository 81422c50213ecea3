#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "os/FileSystem.h"

namespace webaccess::os {

File::~File() {
  if (IsOpen()) ::close(static_cast<int>(handle_));
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, kClosed)), appends_(other.appends_) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (IsOpen()) ::close(static_cast<int>(handle_));
    handle_ = std::exchange(other.handle_, kClosed);
    appends_ = other.appends_;
  }
  return *this;
}

File File::Open(const std::string& name, Mode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::Read:
      flags |= O_RDONLY;
      break;
    case Mode::Create:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case Mode::Append:
      flags |= O_WRONLY | O_CREAT | O_APPEND;
      break;
  }
  const int fd = ::open(name.c_str(), flags, 0666);
  return fd < 0 ? File() : File(fd, mode == Mode::Append);
}

std::ptrdiff_t File::Read(char* data, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(handle_), data, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

bool File::WriteAll(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(static_cast<int>(handle_), data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool File::SyncData() {
  // The data and the file's length, which is all a reader needs.
  return ::fdatasync(static_cast<int>(handle_)) == 0;
}

bool File::Close() {
  const int fd = static_cast<int>(std::exchange(handle_, kClosed));
  return ::close(fd) == 0;
}

DirectorySync SyncDirectory(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return DirectorySync::CannotOpen;
  const bool synced = ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  errno = error;
  return synced ? DirectorySync::Done : DirectorySync::CannotSync;
}

std::int64_t FileSize(const std::string& name) {
  struct stat status {};
  if (::stat(name.c_str(), &status) != 0) return -1;
  return static_cast<std::int64_t>(status.st_size);
}

bool RenameOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace webaccess::os
