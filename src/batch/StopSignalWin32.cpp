#include <windows.h>

#include <csignal>

#include "batch/StopSignal.h"

namespace webaccess::batch {
namespace {

volatile LONG requested = 0;

// Runs on a thread the system starts for the event.
BOOL WINAPI NoteStop(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    InterlockedExchange(&requested, SIGINT);
    return TRUE;
  }
  // Closing the console, logging off, shutting down: the system ends the
  // process as soon as this returns, or after its own time-out (5 seconds
  // for a closed console). So this waits, and the runner, which looks at
  // the request between events, ends the process itself where nothing is
  // lost.
  InterlockedExchange(&requested, SIGTERM);
  Sleep(INFINITE);
  return TRUE;
}

}  // namespace

void InstallStopHandlers() { SetConsoleCtrlHandler(&NoteStop, TRUE); }

int StopSignal() { return static_cast<int>(InterlockedCompareExchange(&requested, 0, 0)); }

}  // namespace webaccess::batch
