// webaccess-sim: the server's side of the conversation, on 127.0.0.1.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "HttpFront.h"
#include "SimServer.h"

int main(int argc, char** argv) {
  using namespace webaccess::sim;
  std::string error;
  const auto options = ParseSimArguments(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "webaccess-sim: %s\nRun with --help for more information.\n",
                 error.c_str());
    return 64;
  }
  if (options->help) {
    std::fputs(SimUsage().c_str(), stdout);
    return 0;
  }
  if (options->version) {
    std::printf("webaccess-sim %s\n", WEBACCESS_VERSION);
    return 0;
  }

  // Signals are taken by the main thread alone; the server's threads, started
  // below, inherit the blocked mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  HttpFront front(options->delayMs, options->logFile, options->tlsCert, options->tlsKey);
  if (!front.LogOpen()) {
    std::fprintf(stderr, "webaccess-sim: cannot open the log file %s\n", options->logFile.c_str());
    return 73;
  }
  if (!front.TlsReady()) {
    std::fprintf(stderr, "webaccess-sim: cannot use the certificate %s with the key %s\n",
                 options->tlsCert.c_str(), options->tlsKey.c_str());
    return 66;
  }
  if (!front.Bind(options->port)) {
    std::fprintf(stderr, "webaccess-sim: cannot listen on 127.0.0.1 port %d\n", options->port);
    return 69;
  }
  SimServer server(*options, front.BaseUrl());
  front.Start([&server](const SimRequest& request) { return server.Handle(request); });
  std::printf("%s\n", front.BaseUrl().c_str());
  std::fflush(stdout);

  const auto started = std::chrono::steady_clock::now();
  const timespec tick{0, 10 * 1000 * 1000};
  for (;;) {
    if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) break;
    if (front.ExitRequested()) {
      // The last answer is out; give its connection a moment to drain.
      // Requests that come meanwhile are dropped unanswered.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      std::fprintf(stderr, "webaccess-sim: ending after %d requests, as asked\n",
                   options->exitAfter);
      break;
    }
    const std::chrono::duration<double> age = std::chrono::steady_clock::now() - started;
    if (options->lifetimeSeconds > 0 && age.count() >= options->lifetimeSeconds) {
      std::fprintf(stderr, "webaccess-sim: lifetime of %g seconds over\n",
                   options->lifetimeSeconds);
      break;
    }
  }
  std::fflush(stderr);
  // Connections still open are cut when the process ends, as when a server goes away.
  std::_Exit(0);
}
