#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The operating system's file calls, as the work files need them: one small
// seam with one implementation per system (FileSystemPosix.cpp,
// FileSystemWin32.cpp), chosen when the program is linked. Files are bytes:
// nothing translates line ends. A call that fails says so in its result and
// leaves the reason in errno, as the C library would (ENOENT for a missing
// file, ENOSPC for a full disk).
namespace webaccess::os {

class File {
 public:
  enum class Mode {
    Read,    // an existing file, for reading from its first byte
    Create,  // for writing, from empty; created when missing
    Append,  // for writing at its end; created when missing
  };

  File() = default;
  ~File();  // closes the file, reporting nothing
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens the file by name; a file that is not open afterwards failed.
  static File Open(const std::string& name, Mode mode);

  bool IsOpen() const { return handle_ != kClosed; }
  // Reads up to `size` bytes: how many came, 0 at the end, -1 on failure.
  std::ptrdiff_t Read(char* data, std::size_t size);
  // Writes all of the bytes; false when that fails.
  bool WriteAll(const char* data, std::size_t size);
  // Puts the file's data and its length on the disk.
  bool SyncData();
  // Closes the file; false when that fails (what was written may be lost).
  bool Close();

 private:
  static constexpr std::intptr_t kClosed = -1;
  explicit File(std::intptr_t handle, bool appends) : handle_(handle), appends_(appends) {}

  std::intptr_t handle_ = kClosed;
  bool appends_ = false;
};

// Puts the directory's entries on the disk, so that a file created in it
// since is there for good.
enum class DirectorySync { Done, CannotOpen, CannotSync };
DirectorySync SyncDirectory(const std::string& name);

// The file's length in bytes; -1 when it cannot be looked at (errno ENOENT
// when there is no such file).
std::int64_t FileSize(const std::string& name);

// Gives the file `from` the name `to`, replacing a file of that name in one
// step; false when that fails.
bool RenameOver(const std::string& from, const std::string& to);

}  // namespace webaccess::os
