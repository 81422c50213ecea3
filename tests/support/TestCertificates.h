#pragma once

#include <string>

namespace webaccess::testing {

// The server certificates of the transport tests.
enum class ServerCertificate {
  Trusted,     // for 127.0.0.1, signed by the private authority
  SelfSigned,  // for 127.0.0.1, signed by itself
  OtherHost,   // for another host name, signed by the private authority
  Expired,     // for 127.0.0.1, signed by the private authority, long expired
};

// A private authority and a server certificate of every kind, made afresh
// with openssl (support/make-certificates.sh) in `dir`. Throws when they
// cannot be made.
class TestCertificates {
 public:
  explicit TestCertificates(const std::string& dir);

  // The authority's certificate: the CA file that makes Trusted trusted.
  std::string Authority() const { return dir_ + "/authority.pem"; }
  // The key of every server certificate.
  std::string Key() const { return dir_ + "/server.key"; }
  std::string Certificate(ServerCertificate which) const;

 private:
  std::string dir_;
};

}  // namespace webaccess::testing
