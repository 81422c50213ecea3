#pragma once

// clang-format off
#include <windows.h>
#include <wincrypt.h>
// clang-format on

#include <memory>
#include <string>

namespace webaccess::platform {

struct CertificateFreer {
  void operator()(PCCERT_CONTEXT certificate) const { CertFreeCertificateContext(certificate); }
};
using Certificate = std::unique_ptr<const CERT_CONTEXT, CertificateFreer>;

// The certificate a TLS server shows, fetched over a connection of its own:
// through `proxy` ("host:port", with CONNECT) when one is given, then a TLS
// handshake with the system's TLS (Schannel), and nothing more: no request
// goes out on it. The other certificates the server sent are in the
// certificate's store. The server may stall for `stallTimeoutMs` at a time.
// Null, with `error` saying why, when no handshake could be made.
Certificate ServerCertificate(const std::string& host, unsigned short port,
                              const std::string& proxy, int stallTimeoutMs, std::string& error);

}  // namespace webaccess::platform
