#include "protocol/Reply.h"

namespace webaccess::protocol {

std::string NormaliseReply(std::string_view url) {
  const std::size_t first = url.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = url.find_last_not_of(' ');
  std::string reply(url.substr(first, last - first + 1));
  for (char& c : reply) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return reply;
}

std::optional<std::string_view> ValueAfterReply(std::string_view reply) {
  const std::size_t at = reply.find("REPLY=");
  if (at == std::string_view::npos) return std::nullopt;
  return reply.substr(at + 6);
}

}  // namespace webaccess::protocol
