#pragma once

#include <string>
#include <string_view>

namespace webaccess::protocol {

// A server code that ends the program: the text of the server message
// window (without the closing lines) and the trace line.
struct ServerCode {
  const char* code;
  const char* text;
  const char* trace;
};

// The codes that end the program, or nullptr for any other code.
const ServerCode* FindServerCode(std::string_view code);

// The message window's text: the lines, an empty line, "Press exit to continue.".
std::string WithClosingLines(std::string_view text);

}  // namespace webaccess::protocol
