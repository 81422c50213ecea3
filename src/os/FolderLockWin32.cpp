#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "os/FolderLock.h"

namespace webaccess::os {

// Windows has no advisory record locks that a process could test and leave;
// the lock is the file opened with no sharing at all. A second open of it,
// from any process, fails with a sharing violation (EACCES) until the holder
// closes it or ends, when the system closes its handles. The handle is not
// inherited by processes that the program starts. The holder's process id is
// not known here, so holder() stays 0.
FolderLock FolderLock::Take() {
  FolderLock result;
  const errno_t error =
      ::_sopen_s(&result.fd_, kFolderLockFile, _O_RDWR | _O_CREAT | _O_BINARY | _O_NOINHERIT,
                 _SH_DENYRW, _S_IREAD | _S_IWRITE);
  if (error == 0) {
    result.state_ = State::Held;
    return result;
  }
  result.fd_ = -1;
  if (error == EACCES) {
    result.state_ = State::HeldByOther;
    return result;
  }
  result.error_ =
      std::string("Cannot open work file \"") + kFolderLockFile + "\": " + std::strerror(error);
  return result;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::_close(fd_);
}

}  // namespace webaccess::os
