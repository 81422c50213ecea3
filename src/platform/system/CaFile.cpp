#include "platform/system/CaFile.h"

#include <filesystem>
#include <fstream>

namespace webaccess::platform {

bool ReadCaFileSetting(const std::function<const char*(const char*)>& getenv, std::string& caFile,
                       std::string& error) {
  const char* value = getenv(kCaFileVariable);
  caFile = value != nullptr ? value : "";
  if (caFile.empty()) return true;
  // A folder opens as a stream on Linux, but holds no certificates.
  std::error_code ignored;
  if (std::filesystem::is_directory(caFile, ignored)) {
    error = std::string(kCaFileVariable) + ": \"" + caFile +
            "\" is a folder; name a file of PEM certificates";
    return false;
  }
  if (std::ifstream(caFile).good()) return true;
  error = std::string(kCaFileVariable) + ": cannot read the file \"" + caFile + "\"";
  return false;
}

}  // namespace webaccess::platform
