#include "app/CommandLine.h"

#include <algorithm>
#include <vector>

namespace webaccess::app {
namespace {

// Characters from a 0-based position on, fewer or none past the end.
std::string_view From(std::string_view text, std::size_t start,
                      std::size_t length = std::string_view::npos) {
  return start < text.size() ? text.substr(start, length) : std::string_view{};
}

// The positions [first, last) of the command-line text that TakeCredentials
// reads into the two passwords.
struct Span {
  std::size_t first;
  std::size_t last;
};

std::vector<Span> PasswordSpans(std::string_view c) {
  if (c.empty()) return {};
  const std::size_t comma = c.find(',');
  const std::size_t r = comma == std::string_view::npos ? 0 : comma + 1;
  const std::size_t second = From(c, r).find(',');
  const std::size_t userPassword = second == std::string_view::npos ? r : r + second + 1;
  return {{7, 11}, {userPassword, userPassword + 6}};
}

}  // namespace

void HidePasswords(std::span<char* const> words) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += ' ';
    text += words[i];
  }
  const std::vector<Span> spans = PasswordSpans(text);
  std::size_t position = 0;  // of the word's first character in the joined text
  for (char* word : words) {
    const std::size_t length = std::char_traits<char>::length(word);
    for (const Span& span : spans) {
      for (std::size_t at = std::max(span.first, position);
           at < std::min(span.last, position + length); ++at) {
        word[at - position] = 'x';
      }
    }
    position += length + 1;
  }
}

std::string JoinArguments(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

void TakeCredentials(std::string_view c, Credentials& credentials) {
  if (c.empty()) {
    credentials.CompanyNumber.Store("");
    credentials.UserId.Store("");
    credentials.UserPassword.Store("");
    return;
  }
  credentials.CompanyNumber.Store(From(c, 0, 7));
  credentials.CompanyPassword.Store(From(c, 7, 4));
  const std::size_t comma = c.find(',');
  const std::string_view r = comma == std::string_view::npos ? c : From(c, comma + 1);
  credentials.UserId.Store(From(r, 0, 6));
  const std::size_t second = r.find(',');
  credentials.UserPassword.Store(second == std::string_view::npos ? r : From(r, second + 1));
  if (credentials.UserPassword.At(5) == ',') {
    credentials.UserPassword.Store(credentials.UserPassword.View().substr(0, 5));
  }
}

}  // namespace webaccess::app
