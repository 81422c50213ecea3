#include "platform/system/CaFile.h"

#include <fstream>

namespace webaccess::platform {

bool ReadCaFileSetting(const std::function<const char*(const char*)>& getenv, std::string& caFile,
                       std::string& error) {
  const char* value = getenv(kCaFileVariable);
  caFile = value != nullptr ? value : "";
  if (caFile.empty() || std::ifstream(caFile).good()) return true;
  error = std::string(kCaFileVariable) + ": cannot read the file \"" + caFile + "\"";
  return false;
}

}  // namespace webaccess::platform
