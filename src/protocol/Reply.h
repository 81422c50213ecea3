#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace webaccess::protocol {

// The reply as the dispatcher reads it: upper-cased, blanks trimmed at both ends.
std::string NormaliseReply(std::string_view url);

// The text behind the first "REPLY=" to the end, or nothing without one.
std::optional<std::string_view> ValueAfterReply(std::string_view reply);

inline bool Holds(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace webaccess::protocol
