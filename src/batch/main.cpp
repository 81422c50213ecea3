// webaccess-batch: the client without a window.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ProgramGlobals.h"
#include "batch/BatchOptions.h"
#include "batch/Runner.h"
#include "platform/batch/CurlHttpClient.h"
#include "platform/curl/CurlTransfer.h"
#include "platform/system/SystemClock.h"

int main(int argc, char** argv) {
  using namespace webaccess;
  std::string error;
  const auto options =
      batch::ParseBatchArguments(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "webaccess-batch: %s\nRun with --help for more information.\n",
                 error.c_str());
    return batch::kUsage;
  }
  if (options->help) {
    std::fputs(batch::BatchUsage().c_str(), stdout);
    return 0;
  }
  if (options->version) {
    std::printf("webaccess-batch %s\n", app::kVersion);
    return 0;
  }
  auto settings = protocol::LoadSettings([](const char* name) { return std::getenv(name); }, error);
  if (!settings) {
    std::fprintf(stderr, "webaccess-batch: %s\n", error.c_str());
    return batch::kUsage;
  }
  std::signal(SIGPIPE, SIG_IGN);

  batch::StdTerminal terminal;
  platform::SystemClock clock;
  // The page requests and the download share libcurl's cookie engine; the
  // cookies outlive both.
  platform::CurlCookies cookies;
  platform::batch::CurlHttpClient http;
  http.SetCookies(&cookies);
  platform::CurlTransfer transfer;
  transfer.SetCookies(&cookies);
  batch::Runner runner(*options, std::move(*settings), {http, transfer, clock, terminal});
  return runner.Run();
}
