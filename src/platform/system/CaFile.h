#pragma once

#include <functional>
#include <string>

namespace webaccess::platform {

// The variable that names a file of PEM certificates of the authorities to
// trust besides the system's own, for the transfer and the browser alike.
inline constexpr const char* kCaFileVariable = "WEBACCESS_CA_FILE";

// Reads the variable through `getenv`. `caFile` becomes its value, empty
// when it is unset or empty. False, with `error` naming the variable, when
// it names a file that cannot be read.
bool ReadCaFileSetting(const std::function<const char*(const char*)>& getenv, std::string& caFile,
                       std::string& error);

}  // namespace webaccess::platform
