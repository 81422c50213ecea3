#pragma once

#include <stdexcept>
#include <string>

namespace webaccess::files {

// A work file could not be opened, written, renamed or deleted. The program
// stops with this report.
class WorkFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws WorkFileError naming the operation, the file and the system's reason
// (taken from errno).
[[noreturn]] void ThrowWorkFileError(const std::string& operation, const std::string& name);

}  // namespace webaccess::files
