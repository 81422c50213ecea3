#pragma once

namespace webaccess::batch {

// The user's or the system's request to stop the program from outside the
// run: Ctrl+C (SIGINT) or SIGTERM on Linux; Ctrl+C, Ctrl+Break, closing the
// console window, logging off or shutting down on Windows. The handlers only
// note the request; the runner looks at it between events and stops the
// run where that loses nothing.
//
// Installs the handlers, once, before the run starts.
void InstallStopHandlers();

// 0 while no stop has been asked for; otherwise the number of the signal
// that asked (SIGINT or SIGTERM; on Windows, SIGINT for Ctrl+C and
// Ctrl+Break, SIGTERM for the rest).
int StopSignal();

}  // namespace webaccess::batch
