#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstring>

#include "os/ErrnoWin32.h"
#include "os/FolderLock.h"

namespace webaccess::os {
namespace {

HANDLE OpenUnshared(DWORD access, DWORD disposition) {
  // The handle is not inherited by processes that the program starts.
  return ::CreateFileA(kFolderLockFile, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

std::string Reason(DWORD error) {
  return std::string("Cannot open work file \"") + kFolderLockFile +
         "\": " + std::strerror(ErrnoFromWindowsError(error)) + " (Windows error " +
         std::to_string(error) + ")";
}

}  // namespace

// Windows has no advisory locks that a process could test and leave; the
// lock is the file opened with no sharing at all. A second open of it, from
// any process, fails with a sharing violation until the holder closes it or
// ends, when the system closes its handles: only a sharing violation means
// that the folder is taken. A lock file this user may only read (made
// read-only, or by another user) is opened for reading, still with no
// sharing. The holder's process id is not known here, so holder() stays 0.
FolderLock FolderLock::Take() {
  FolderLock result;
  HANDLE handle = OpenUnshared(GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  DWORD error = handle == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
  if (error == ERROR_ACCESS_DENIED) {
    handle = OpenUnshared(GENERIC_READ, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
      error = ::GetLastError();
    } else if (handle != INVALID_HANDLE_VALUE) {
      error = ERROR_SUCCESS;
    }
  }
  if (error == ERROR_SHARING_VIOLATION) {
    result.state_ = State::HeldByOther;
    return result;
  }
  if (error != ERROR_SUCCESS) {
    result.error_ = Reason(error);
    return result;
  }
  result.fd_ = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_RDONLY);
  if (result.fd_ < 0) {
    ::CloseHandle(handle);
    result.error_ = Reason(ERROR_TOO_MANY_OPEN_FILES);
    return result;
  }
  result.state_ = State::Held;
  return result;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::_close(fd_);
}

}  // namespace webaccess::os
