#include "support/TestCertificates.h"

#include <cstdlib>
#include <stdexcept>

namespace webaccess::testing {

TestCertificates::TestCertificates(const std::string& dir) : dir_(dir) {
  const std::string command = std::string("'") + WEBACCESS_MAKE_CERTIFICATES + "' '" + dir + "'";
  if (std::system(command.c_str()) != 0) {
    throw std::runtime_error("cannot make the test certificates: " + command);
  }
}

std::string TestCertificates::Certificate(ServerCertificate which) const {
  switch (which) {
    case ServerCertificate::Trusted:
      return dir_ + "/trusted.pem";
    case ServerCertificate::SelfSigned:
      return dir_ + "/self-signed.pem";
    case ServerCertificate::OtherHost:
      return dir_ + "/other-host.pem";
    case ServerCertificate::Expired:
      return dir_ + "/expired.pem";
  }
  return {};
}

}  // namespace webaccess::testing
