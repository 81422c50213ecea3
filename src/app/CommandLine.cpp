#include "app/CommandLine.h"

namespace webaccess::app {
namespace {

// Characters from a 0-based position on, fewer or none past the end.
std::string_view From(std::string_view text, std::size_t start,
                      std::size_t length = std::string_view::npos) {
  return start < text.size() ? text.substr(start, length) : std::string_view{};
}

}  // namespace

std::string JoinArguments(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

void TakeCredentials(std::string_view c, ProgramGlobals& globals) {
  if (c.empty()) {
    globals.CompanyNumber.Store("");
    globals.UserId.Store("");
    globals.UserPassword.Store("");
    return;
  }
  globals.CompanyNumber.Store(From(c, 0, 7));
  globals.CompanyPassword.Store(From(c, 7, 4));
  const std::size_t comma = c.find(',');
  const std::string_view r = comma == std::string_view::npos ? c : From(c, comma + 1);
  globals.UserId.Store(From(r, 0, 6));
  const std::size_t second = r.find(',');
  globals.UserPassword.Store(second == std::string_view::npos ? r : From(r, second + 1));
  if (globals.UserPassword.At(5) == ',') {
    globals.UserPassword.Store(globals.UserPassword.View().substr(0, 5));
  }
}

}  // namespace webaccess::app
