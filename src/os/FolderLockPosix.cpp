#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "os/FolderLock.h"

namespace webaccess::os {
namespace {

flock WholeFile(short type) {
  flock lock{};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // to the end of the file, however long
  return lock;
}

std::string Reason(const char* operation) {
  return std::string("Cannot ") + operation + " work file \"" + kFolderLockFile +
         "\": " + std::strerror(errno);
}

}  // namespace

FolderLock FolderLock::Take() {
  FolderLock result;
  // A record lock needs the file open for writing; the file is never written.
  result.fd_ = ::open(kFolderLockFile, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (result.fd_ < 0) {
    result.error_ = Reason("open");
    return result;
  }
  flock lock = WholeFile(F_WRLCK);
  if (::fcntl(result.fd_, F_SETLK, &lock) == 0) {
    result.state_ = State::Held;
    return result;
  }
  if (errno != EACCES && errno != EAGAIN) {
    result.error_ = Reason("lock");
    return result;
  }
  result.state_ = State::HeldByOther;
  flock probe = WholeFile(F_WRLCK);
  if (::fcntl(result.fd_, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) {
    result.holder_ = static_cast<long>(probe.l_pid);
  }
  return result;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace webaccess::os
