#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace webaccess::programs {

// A program running in the background in a process group of its own, in a
// working directory, with its standard output and error going to
// `<name>.out` and `<name>.err` there. Its whole group is killed when this
// goes, if it has not ended by then.
class Child {
 public:
  struct Options {
    std::string name = "child";
    std::map<std::string, std::string> environment;  // added to this process's own
    // A limit in bytes on the size of every file the program writes
    // (RLIMIT_FSIZE), with SIGXFSZ ignored: a write beyond it fails with EFBIG,
    // as on a full disk.
    std::optional<unsigned long> fileSizeLimit;
  };

  Child(const std::filesystem::path& dir, std::vector<std::string> argv, Options options);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool Started() const { return pid_ > 0; }
  // The process id, which is also its group's id.
  pid_t Pid() const { return pid_; }
  // Waits up to `limit` for the program to end; true once it has.
  bool Wait(std::chrono::milliseconds limit);
  // SIGKILL to the whole group, then waits for the program.
  void Kill();
  // SIGTERM to the program, then Kill if it has not ended within `limit`.
  void Stop(std::chrono::milliseconds limit);
  // After the end: the exit status, or -1 when a signal ended it.
  int Status() const { return status_; }
  int TermSignal() const { return signal_; }
  std::string Out() const;
  std::string Err() const;

 private:
  void Reap(int waitStatus);

  std::filesystem::path dir_;
  std::string name_;
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = -1;
  int signal_ = 0;
};

// Polls `holds` every 2 ms until it is true or `limit` has passed.
bool PollUntil(const std::function<bool()>& holds, std::chrono::milliseconds limit);

// The id of a running child of this process whose program is `program`.
std::optional<pid_t> ChildRunning(const std::filesystem::path& program);

// What lies under `root`, relative to it, sorted: the files, and the
// directories that hold nothing, these with a "/" after the name.
std::vector<std::string> EntriesUnder(const std::filesystem::path& root);

}  // namespace webaccess::programs
