#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace webaccess::sim {

// Every %XX escape (two hex digits) becomes its byte; a "%" without two hex
// digits after it stays as it is, and so does "+".
std::string PercentDecode(std::string_view text);

// A request target taken apart: the decoded path and the query parameters in
// order, names and values decoded. A parameter is split at its first "=", so
// a value may hold "=" and "!" as they came.
struct Target {
  std::string path;
  std::vector<std::pair<std::string, std::string>> params;
};
Target ParseTarget(std::string_view target);

// The value of the first parameter of that name, compared without regard to
// case, as the server's pages read their query.
std::optional<std::string> Param(const Target& target, std::string_view name);

std::string Upper(std::string_view text);
std::string Lower(std::string_view text);
// Without leading and trailing blanks.
std::string TrimBlanks(std::string_view text);
// Blanks written as %20, the way the server writes texts into a reply.
std::string EscapeBlanks(std::string_view text);

}  // namespace webaccess::sim
