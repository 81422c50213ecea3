#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "os/FolderLock.h"

namespace webaccess::os {
namespace {

std::string Reason(const char* operation) {
  return std::string("Cannot ") + operation + " work file \"" + kFolderLockFile +
         "\": " + std::strerror(errno);
}

// The process that holds a lock on the open file, as Linux lists it in
// /proc/locks ("1: FLOCK  ADVISORY  WRITE 4711 fe:00:1234 0 EOF": the
// process, then the device's major and minor number in hex and the inode);
// 0 where the system does not say.
long LockHolder(int fd) {
  struct stat file {};
  if (::fstat(fd, &file) != 0) return 0;
  char device[64];
  std::snprintf(device, sizeof device, "%02x:%02x:%llu", ::major(file.st_dev), ::minor(file.st_dev),
                static_cast<unsigned long long>(file.st_ino));
  std::ifstream locks("/proc/locks");
  for (std::string line; std::getline(locks, line);) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, where;
    long pid = 0;
    // A waiting request has "->" before its kind; only a granted lock holds.
    if (!(fields >> number >> kind >> mode >> access >> pid >> where) || kind != "FLOCK") continue;
    if (where == device) return pid;
  }
  return 0;
}

}  // namespace

// The lock is flock(): it needs no more than read access to the file, so a
// lock file that another user made (with the umask's 0644, say) can still
// be locked by every user who may work in the folder, and a lock is taken
// or refused alike whoever made the file. fcntl() record locks would need
// the file open for writing, and the two kinds do not see each other on
// Linux, so every client takes this one. The file is opened for writing
// where that is allowed, since network file systems carry flock() over as
// a record lock; otherwise for reading.
FolderLock FolderLock::Take() {
  FolderLock result;
  // Every user may lock it, as far as the umask lets them write the folder's files.
  result.fd_ = ::open(kFolderLockFile, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (result.fd_ < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
    const int denied = errno;
    result.fd_ = ::open(kFolderLockFile, O_RDONLY | O_CLOEXEC);
    // No file, and none may be made: the folder's own permission is the reason.
    if (result.fd_ < 0 && errno == ENOENT) errno = denied;
  }
  if (result.fd_ < 0) {
    result.error_ = Reason("open");
    return result;
  }
  if (::flock(result.fd_, LOCK_EX | LOCK_NB) == 0) {
    result.state_ = State::Held;
    return result;
  }
  if (errno != EWOULDBLOCK) {
    result.error_ = Reason("lock");
    return result;
  }
  result.state_ = State::HeldByOther;
  result.holder_ = LockHolder(result.fd_);
  return result;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace webaccess::os
