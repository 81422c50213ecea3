#include "programs/SimProcess.h"

#include <sstream>

#include "support/ScratchFiles.h"

namespace webaccess::programs {

using namespace std::chrono_literals;

namespace {

std::vector<std::string> SimArguments(const std::string& program, const std::filesystem::path& dir,
                                      const std::vector<std::string>& args, int lifetimeSeconds) {
  std::vector<std::string> argv{program,
                                "--port",
                                "0",
                                "--log",
                                (dir / "requests.log").string(),
                                "--lifetime",
                                std::to_string(lifetimeSeconds)};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

}  // namespace

SimProcess::SimProcess(const std::string& program, const std::filesystem::path& dir,
                       const std::vector<std::string>& args, int lifetimeSeconds)
    : dir_(dir),
      child_(dir, SimArguments(program, dir, args, lifetimeSeconds),
             {.name = "sim", .environment = {}, .fileSizeLimit = {}}) {
  // The first line is the base URL.
  PollUntil(
      [this] {
        const std::string out = child_.Out();
        const std::size_t end = out.find('\n');
        if (end != std::string::npos) baseUrl_ = out.substr(0, end);
        return end != std::string::npos || child_.Wait(0ms);
      },
      10s);
}

void SimProcess::Stop() { child_.Stop(5s); }

std::vector<std::string> SimProcess::Requests() const {
  std::vector<std::string> lines;
  std::istringstream in(testing::ReadFile(dir_ / "requests.log"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

BatchResult RunBatch(const std::string& program, const std::filesystem::path& dir,
                     const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment, int hardLimitSeconds) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  BatchResult result;
  {
    Child batch(dir, argv, {.name = "batch", .environment = environment, .fileSizeLimit = {}});
    if (batch.Wait(std::chrono::seconds(hardLimitSeconds))) result.status = batch.Status();
    batch.Kill();
    result.out = batch.Out();
    result.err = batch.Err();
  }
  std::filesystem::remove(dir / "batch.out");
  std::filesystem::remove(dir / "batch.err");
  return result;
}

}  // namespace webaccess::programs
