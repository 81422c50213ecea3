#include "Processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace webaccess::e2e {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// In the child: stdin from /dev/null, stdout and stderr to the given
// descriptors, the working directory set, then the program. Never returns.
[[noreturn]] void Exec(const std::filesystem::path& dir, std::vector<std::string> argv,
                       std::vector<std::string> env, int out, int err) {
  const int null = ::open("/dev/null", O_RDONLY);
  ::dup2(null, STDIN_FILENO);
  ::dup2(out, STDOUT_FILENO);
  ::dup2(err, STDERR_FILENO);
  if (::chdir(dir.c_str()) != 0) ::_exit(126);
  const std::vector<char*> args = Pointers(argv);
  const std::vector<char*> envp = Pointers(env);
  ::execve(args[0], args.data(), envp.data());
  ::_exit(127);
}

std::vector<std::string> Environment(const std::map<std::string, std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('='));
    if (!extra.contains(name)) env.push_back(entry);
  }
  for (const auto& [name, value] : extra) env.push_back(name + "=" + value);
  return env;
}

int WaitFor(pid_t pid, int limitSeconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= until) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

SimProcess::SimProcess(const std::filesystem::path& dir, const std::vector<std::string>& args)
    : dir_(dir) {
  std::vector<std::string> argv{
      WEBACCESS_SIM_PATH, "--port", "0", "--log", (dir / "requests.log").string(),
      "--lifetime",       "60"};
  argv.insert(argv.end(), args.begin(), args.end());
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return;
  const int err = ::open((dir / "sim.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_ = ::fork();
  if (pid_ == 0) {
    ::close(pipeFds[0]);
    Exec(dir, argv, Environment({}), pipeFds[1], err);
  }
  ::close(pipeFds[1]);
  ::close(err);
  // The first line is the base URL.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::string line;
  while (std::chrono::steady_clock::now() < until) {
    pollfd input{pipeFds[0], POLLIN, 0};
    if (::poll(&input, 1, 100) <= 0) continue;
    char c = 0;
    if (::read(pipeFds[0], &c, 1) != 1) break;
    if (c == '\n') {
      baseUrl_ = line;
      break;
    }
    line += c;
  }
  ::close(pipeFds[0]);
}

SimProcess::~SimProcess() { Stop(); }

void SimProcess::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  if (WaitFor(pid_, 5) == -1) {
    // Killed, or it was gone already.
  }
  pid_ = -1;
}

std::vector<std::string> SimProcess::Requests() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadFile(dir_ / "requests.log"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

BatchResult RunBatch(const std::filesystem::path& dir, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment, int hardLimitSeconds) {
  std::vector<std::string> argv{WEBACCESS_BATCH_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  const auto outPath = dir / "batch.out";
  const auto errPath = dir / "batch.err";
  const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const pid_t pid = ::fork();
  if (pid == 0) Exec(dir, argv, Environment(environment), out, err);
  ::close(out);
  ::close(err);
  BatchResult result;
  result.status = WaitFor(pid, hardLimitSeconds);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return result;
}

}  // namespace webaccess::e2e
