#pragma once

// clang-format off
#include <windows.h>
#include <wincrypt.h>
// clang-format on

#include <optional>
#include <string>

namespace webaccess::platform {

// Whether a TLS server's certificate may be trusted for `host` (a name or a
// numeric address), checked with CryptoAPI: its chain leads to an authority
// of the system's store, or of the PEM file `caFile` when one is named; every
// certificate of the chain is within its dates and fit for a TLS server; and
// the certificate names the host. `sent` holds the other certificates the
// server sent (may be null). Nothing when it may be trusted; otherwise why
// not, in the words OpenSSL uses on Linux ("self-signed certificate",
// "certificate has expired", ...).
std::optional<std::string> CertificateRefusal(PCCERT_CONTEXT certificate, HCERTSTORE sent,
                                              const std::string& host, const std::string& caFile);

}  // namespace webaccess::platform
