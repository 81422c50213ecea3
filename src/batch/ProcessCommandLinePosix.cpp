#include "app/CommandLine.h"
#include "batch/ProcessCommandLine.h"

namespace webaccess::batch {

// /proc/PID/cmdline, which ps reads, is the argument strings themselves.
void HidePasswordsFromOtherProcesses(std::span<char* const> words) { app::HidePasswords(words); }

}  // namespace webaccess::batch
