#pragma once

#include <span>

namespace webaccess::batch {

// Overwrites with "x" the password characters of the program's own argument
// words (app::HidePasswords), so that other processes see no password. On
// Windows other processes read the command line the process keeps in its
// parameter block (GetCommandLineW) and not its arguments, so the same
// characters are overwritten there, and in the ANSI copy (GetCommandLineA).
void HidePasswordsFromOtherProcesses(std::span<char* const> words);

}  // namespace webaccess::batch
