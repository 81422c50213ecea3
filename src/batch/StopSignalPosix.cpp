#include <csignal>

#include "batch/StopSignal.h"

namespace webaccess::batch {
namespace {

volatile std::sig_atomic_t requested = 0;

extern "C" void NoteStop(int signal) { requested = signal; }

}  // namespace

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = &NoteStop;
  sigemptyset(&action.sa_mask);
  // Not SA_RESTART: a wait in progress returns, and the runner looks at once.
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int StopSignal() { return requested; }

}  // namespace webaccess::batch
