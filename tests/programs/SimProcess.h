#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "programs/Child.h"

namespace webaccess::programs {

// webaccess-sim (`program`) on a free loopback port, its request log
// ("requests.log"), standard output ("sim.out") and standard error
// ("sim.err") in `dir`. Stopped when destroyed; it also ends by itself after
// `lifetimeSeconds`.
class SimProcess {
 public:
  SimProcess(const std::string& program, const std::filesystem::path& dir,
             const std::vector<std::string>& args, int lifetimeSeconds = 60);
  ~SimProcess() { Stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The base URL printed on its first line; empty if it did not start
  // within ten seconds.
  const std::string& BaseUrl() const { return baseUrl_; }
  // The request targets it has logged, in order.
  std::vector<std::string> Requests() const;
  // What it wrote to its standard error.
  std::string Errors() const { return child_.Err(); }
  void Stop();

 private:
  std::filesystem::path dir_;
  Child child_;
  std::string baseUrl_;
};

struct BatchResult {
  int status = -1;  // the exit status; -1 if it had to be killed
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs webaccess-batch (`program`) in `dir` with the arguments and extra
// environment, killing it if it has not ended after `hardLimitSeconds`.
BatchResult RunBatch(const std::string& program, const std::filesystem::path& dir,
                     const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment,
                     int hardLimitSeconds = 30);

}  // namespace webaccess::programs
