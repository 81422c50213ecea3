#pragma once

#include <functional>
#include <string>
#include <vector>

namespace webaccess::platform {

// The variable that names a file of PEM certificates of the authorities to
// trust besides the system's own, for the transfer and the browser alike.
inline constexpr const char* kCaFileVariable = "WEBACCESS_CA_FILE";

// Reads the variable through `getenv`. `caFile` becomes its value, empty
// when it is unset or empty. False, with `error` naming the variable, when
// it names a file that cannot be read, or a folder.
bool ReadCaFileSetting(const std::function<const char*(const char*)>& getenv, std::string& caFile,
                       std::string& error);

// With OpenSSL, on Linux (on Windows, CryptoAPI's CertificateRefusal in
// CertificateCheckWin32.h checks a server against the system and the file).
// True when the certificate chain (PEM, the server's own certificate first)
// verifies against the authorities of `caFile` alone: signed by one of them,
// within its dates, fit for a TLS server and issued for `host` (a name or a
// numeric address). When it does not, `why` (if given) says why not.
bool ChainVerifies(const std::vector<std::string>& pemChain, const std::string& host,
                   const std::string& caFile, std::string* why = nullptr);

}  // namespace webaccess::platform
