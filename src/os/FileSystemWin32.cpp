#include <windows.h>

#include <cerrno>
#include <utility>

#include "os/ErrnoWin32.h"
#include "os/FileSystem.h"

// Win32 file handles, opened by name in binary: the bytes written are the bytes
// stored. A failed call leaves its reason in errno, translated from the
// system's error code, so that the reports read as on other systems.
namespace webaccess::os {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

void SetErrnoFromLastError() { errno = ErrnoFromWindowsError(::GetLastError()); }

}  // namespace

int ErrnoFromWindowsError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    default:
      return EIO;
  }
}

File::~File() {
  if (IsOpen()) ::CloseHandle(AsHandle(handle_));
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, kClosed)), appends_(other.appends_) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (IsOpen()) ::CloseHandle(AsHandle(handle_));
    handle_ = std::exchange(other.handle_, kClosed);
    appends_ = other.appends_;
  }
  return *this;
}

File File::Open(const std::string& name, Mode mode) {
  const DWORD access = mode == Mode::Read ? GENERIC_READ : GENERIC_WRITE;
  const DWORD disposition = mode == Mode::Read     ? OPEN_EXISTING
                            : mode == Mode::Create ? CREATE_ALWAYS
                                                   : OPEN_ALWAYS;
  // Others may read, write, rename and delete the file while it is open, as
  // on other systems.
  const HANDLE handle =
      ::CreateFileA(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    SetErrnoFromLastError();
    return File();
  }
  return File(reinterpret_cast<std::intptr_t>(handle), mode == Mode::Append);
}

std::ptrdiff_t File::Read(char* data, std::size_t size) {
  DWORD got = 0;
  const DWORD wanted = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
  if (!::ReadFile(AsHandle(handle_), data, wanted, &got, nullptr)) {
    SetErrnoFromLastError();
    return -1;
  }
  return static_cast<std::ptrdiff_t>(got);
}

bool File::WriteAll(const char* data, std::size_t size) {
  // An appended file is written at its end, wherever that is now.
  if (appends_ && size > 0 && !::SetFilePointerEx(AsHandle(handle_), {}, nullptr, FILE_END)) {
    SetErrnoFromLastError();
    return false;
  }
  while (size > 0) {
    const DWORD chunk = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(AsHandle(handle_), data, chunk, &written, nullptr)) {
      SetErrnoFromLastError();
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

bool File::SyncData() {
  // Writes the file's data and its metadata, its length among them.
  if (::FlushFileBuffers(AsHandle(handle_))) return true;
  SetErrnoFromLastError();
  return false;
}

bool File::Close() {
  if (::CloseHandle(AsHandle(std::exchange(handle_, kClosed)))) return true;
  SetErrnoFromLastError();
  return false;
}

DirectorySync SyncDirectory(const std::string&) {
  // Windows has no call that syncs a directory. The new file's own data and
  // length are on the disk already (FlushFileBuffers); that its directory
  // entry survives a power loss rests on the file system's metadata journal,
  // which it commits itself.
  return DirectorySync::Done;
}

std::int64_t FileSize(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) {
    SetErrnoFromLastError();
    return -1;
  }
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                   data.nFileSizeLow);
}

bool RenameOver(const std::string& from, const std::string& to) {
  // Written through: the rename is on the disk when the call returns.
  if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  SetErrnoFromLastError();
  return false;
}

}  // namespace webaccess::os
