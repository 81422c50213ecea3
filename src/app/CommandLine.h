#pragma once

#include <span>
#include <string>
#include <string_view>

#include "app/Credentials.h"

namespace webaccess::app {

// The program's arguments joined by single blanks: the command-line text.
std::string JoinArguments(int argc, const char* const* argv);

// Cuts the credentials out of the command-line text by position:
// company number (7) and company password (4), then after the first comma
// the user id (6), then after the next comma the user password (6).
void TakeCredentials(std::string_view commandLine, Credentials& credentials);

// Overwrites with "x", in the program's own argument strings, every
// character that TakeCredentials takes into the company password or the user
// password, so that the process list no longer shows them. `words` are the
// arguments whose joined text is the command-line text; the joining blanks
// and everything else stay.
void HidePasswords(std::span<char* const> words);

}  // namespace webaccess::app
