#include "programs/Child.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <thread>

#include "support/ScratchFiles.h"

namespace webaccess::programs {
namespace fs = std::filesystem;

using testing::ReadFile;

Child::Child(const fs::path& dir, std::vector<std::string> argv, Options options)
    : dir_(dir), name_(options.name) {
  const int out = ::open((dir / (name_ + ".out")).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = ::open((dir / (name_ + ".err")).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> args;
  for (std::string& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    ::setpgid(0, 0);
    const int null = ::open("/dev/null", O_RDONLY);
    ::dup2(null, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    for (const auto& [variable, value] : options.environment) {
      ::setenv(variable.c_str(), value.c_str(), 1);
    }
    if (options.fileSizeLimit) {
      ::signal(SIGXFSZ, SIG_IGN);  // stays ignored across exec
      const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (::chdir(dir.c_str()) != 0) ::_exit(126);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  if (pid_ > 0) ::setpgid(pid_, pid_);  // no race with the child's own call
  ::close(out);
  ::close(err);
}

Child::~Child() { Kill(); }

void Child::Reap(int waitStatus) {
  ended_ = true;
  if (WIFEXITED(waitStatus)) status_ = WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) signal_ = WTERMSIG(waitStatus);
}

bool Child::Wait(std::chrono::milliseconds limit) {
  if (pid_ <= 0 || ended_) return true;
  return PollUntil(
      [&] {
        // Seen to end but not yet reaped: its pid, and so its group id, is
        // still taken, so the group's leftovers can be ended safely.
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
            info.si_pid != pid_) {
          return false;
        }
        ::kill(-pid_, SIGKILL);
        int waitStatus = 0;
        if (::waitpid(pid_, &waitStatus, 0) == pid_) Reap(waitStatus);
        return true;
      },
      limit);
}

void Child::Kill() {
  // Once reaped, the pid may belong to another process group: the group was
  // ended when the child was reaped.
  if (pid_ <= 0 || ended_) return;
  // The group too: programs that start helpers of their own leave none behind.
  ::kill(-pid_, SIGKILL);
  int waitStatus = 0;
  if (::waitpid(pid_, &waitStatus, 0) == pid_) Reap(waitStatus);
}

void Child::Stop(std::chrono::milliseconds limit) {
  if (pid_ <= 0 || ended_) return;
  ::kill(pid_, SIGTERM);
  if (!Wait(limit)) Kill();
}

std::string Child::Out() const { return ReadFile(dir_ / (name_ + ".out")); }
std::string Child::Err() const { return ReadFile(dir_ / (name_ + ".err")); }

bool PollUntil(const std::function<bool()>& holds, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (holds()) return true;
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

std::optional<pid_t> ChildRunning(const fs::path& program) {
  std::error_code error;
  const fs::path wanted = fs::canonical(program, error);
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) continue;
    // The parent's id is the second field after the command's ")".
    const std::string stat = ReadFile(entry.path() / "stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream fields(stat.substr(close + 1));
    std::string state;
    pid_t parent = 0;
    fields >> state >> parent;
    if (parent != ::getpid() || state == "Z") continue;
    if (fs::read_symlink(entry.path() / "exe", error) == wanted) return std::stoi(name);
  }
  return std::nullopt;
}

std::vector<std::string> EntriesUnder(const fs::path& root) {
  std::vector<std::string> entries;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const std::string name = fs::relative(it->path(), root).string();
    if (!it->is_directory(error)) {
      entries.push_back(name);
    } else if (fs::is_empty(it->path(), error)) {
      entries.push_back(name + "/");
    }
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

}  // namespace webaccess::programs
