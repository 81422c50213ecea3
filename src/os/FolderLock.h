#pragma once

#include <string>
#include <utility>

namespace webaccess::os {

// The file in the working directory whose lock marks the folder as in use by
// a client. It is created empty on the first run in a folder and stays: a
// client never writes it, and removing it when a run ends would let a client
// that has just opened it lock a file nobody else looks at any more.
inline constexpr const char* kFolderLockFile = "WEBACCESS.LCK";

// One client per working folder. Take locks kFolderLockFile, created if it is
// missing (for every user, as far as the umask allows), with an exclusive
// lock that the operating system releases when the process ends, however it
// ends. Any user who may read the file can take it: only a lock that a live
// process holds means that the folder is taken. The file descriptor is
// closed on exec, so helper processes that the program starts never hold the
// lock.
class FolderLock {
 public:
  enum class State {
    Held,         // this process holds the folder
    HeldByOther,  // another process holds it; nothing was changed
    Failed,       // the lock file could not be opened or locked
  };

  // Tries once, without waiting, in the working directory.
  static FolderLock Take();

  FolderLock(FolderLock&& other) noexcept
      : fd_(std::exchange(other.fd_, -1)),
        state_(other.state_),
        holder_(other.holder_),
        error_(std::move(other.error_)) {}
  FolderLock& operator=(FolderLock&&) = delete;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  // Releases the lock (when held) by closing the file.
  ~FolderLock();

  State state() const { return state_; }
  // The process that holds the lock, when another one does and says which; else 0.
  long holder() const { return holder_; }
  // What went wrong, when Failed: the operation, the file and the system's reason.
  const std::string& error() const { return error_; }

 private:
  FolderLock() = default;

  int fd_ = -1;
  State state_ = State::Failed;
  long holder_ = 0;
  std::string error_;
};

}  // namespace webaccess::os
