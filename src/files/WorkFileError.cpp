#include "files/WorkFileError.h"

#include <cerrno>
#include <cstring>

namespace webaccess::files {

void ThrowWorkFileError(const std::string& operation, const std::string& name) {
  const int error = errno;
  std::string report = "Cannot " + operation + " work file \"" + name + "\"";
  if (error != 0) report += ": " + std::string(std::strerror(error));
  throw WorkFileError(report);
}

}  // namespace webaccess::files
