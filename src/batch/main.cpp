// webaccess-batch: the client without a window.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BuildSettings.h"
#include "batch/BatchOptions.h"
#include "batch/ProcessCommandLine.h"
#include "batch/Runner.h"
#include "batch/StopSignal.h"
#include "os/FolderLock.h"
#include "platform/system/CaFile.h"
#include "platform/system/SystemClock.h"
#ifdef _WIN32
#include "platform/winhttp/WinHttpClient.h"
#include "platform/winhttp/WinHttpTransfer.h"
#else
#include "platform/curl/CurlHttpClient.h"
#include "platform/curl/CurlTransfer.h"
#endif

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
    std::printf("webaccess-batch %s\n", build::kVersion);
    return 0;
  }
  // The credentials are in the options now: the process list shows no password from here on.
  std::vector<char*> words;
  for (const std::size_t position : options->wordPositions) words.push_back(argv[1 + position]);
  batch::HidePasswordsFromOtherProcesses(words);

  const auto getenv = [](const char* name) { return std::getenv(name); };
  auto settings = protocol::LoadSettings(getenv, error);
  std::string caFile;
  if (!settings || !platform::ReadCaFileSetting(getenv, caFile, error)) {
    std::fprintf(stderr, "webaccess-batch: %s\n", error.c_str());
    return batch::kUsage;
  }
  // The folder is this client's from here to the end of the process; a
  // second client in it leaves before it touches any file.
  const os::FolderLock lock = os::FolderLock::Take();
  if (lock.state() == os::FolderLock::State::HeldByOther) {
    const std::string holder =
        lock.holder() > 0 ? " (process " + std::to_string(lock.holder()) + ")" : "";
    std::fprintf(stderr,
                 "webaccess-batch: a client is already running in this folder%s; leaving without "
                 "touching any file.\n",
                 holder.c_str());
    return batch::kAlreadyRunning;
  }
  if (lock.state() == os::FolderLock::State::Failed) {
    std::fprintf(stderr, "webaccess-batch: %s\n", lock.error().c_str());
    return batch::kWorkFileFailure;
  }
  // A stop (Ctrl+C, SIGTERM; on Windows also closing the console) is seen by
  // the runner between the loop's turns: it ends the run as the window's
  // close box does, once a pick-up under way has finished.
  batch::InstallStopHandlers();

  batch::StdTerminal terminal;
  platform::SystemClock clock;
#ifdef _WIN32
  // The page requests and the download share WinHTTP's sessions, and so the
  // server's cookies; the network outlives both.
  platform::WinHttpNetwork network(caFile, getenv);
  platform::WinHttpClient http(network);
  platform::WinHttpTransfer transfer(network);
#else
  std::signal(SIGPIPE, SIG_IGN);
  // The page requests and the download share libcurl's cookie engine; the
  // cookies outlive both.
  platform::CurlCookies cookies;
  platform::batch::CurlHttpClient http;
  http.SetCaFile(caFile);
  http.SetCookies(&cookies);
  platform::CurlTransfer transfer;
  transfer.SetCaFile(caFile);
  transfer.SetCookies(&cookies);
#endif
  batch::Runner runner(*options, std::move(*settings),
                       {http, transfer, clock, terminal, &batch::StopSignal});
  return runner.Run();
}
