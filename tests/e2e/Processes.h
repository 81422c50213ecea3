#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace webaccess::e2e {

// webaccess-sim on a free loopback port, its request log and its standard
// error in the given directory. Stopped (killed) when destroyed; it also
// ends by itself after a minute.
class SimProcess {
 public:
  SimProcess(const std::filesystem::path& dir, const std::vector<std::string>& args);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The base URL printed on its first line; empty if it did not start.
  const std::string& BaseUrl() const { return baseUrl_; }
  // The request targets it has logged, in order.
  std::vector<std::string> Requests() const;
  void Stop();

 private:
  std::filesystem::path dir_;
  pid_t pid_ = -1;
  std::string baseUrl_;
};

struct BatchResult {
  int status = -1;  // the exit status; -1 if it had to be killed
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs webaccess-batch in `dir` with the arguments and extra environment,
// killing it if it has not ended after `hardLimitSeconds`.
BatchResult RunBatch(const std::filesystem::path& dir, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment,
                     int hardLimitSeconds = 30);

std::string ReadFile(const std::filesystem::path& path);

}  // namespace webaccess::e2e
