#include "platform/system/CaFile.h"

#include <gtest/gtest.h>

#include <map>

#include "support/ScratchFiles.h"
#include "support/TestCertificates.h"

namespace webaccess::platform {
namespace {

using testing::ServerCertificate;

struct ChainCase {
  ServerCertificate certificate;
  const char* host;
  bool verifies;
};

TEST(CaFile, AChainVerifiesOnlyWhenTheAuthoritySignedItForThisHostAndItIsInDate) {
  const testing::ScratchDirectory scratch("webaccess-ca");
  const testing::TestCertificates certificates(scratch.path() + "/certificates");
  const ChainCase cases[] = {
      {.certificate = ServerCertificate::Trusted, .host = "127.0.0.1", .verifies = true},
      {.certificate = ServerCertificate::Trusted, .host = "localhost", .verifies = true},
      {.certificate = ServerCertificate::Trusted, .host = "127.0.0.2", .verifies = false},
      {.certificate = ServerCertificate::Trusted, .host = "other.invalid", .verifies = false},
      {.certificate = ServerCertificate::SelfSigned, .host = "127.0.0.1", .verifies = false},
      {.certificate = ServerCertificate::OtherHost, .host = "127.0.0.1", .verifies = false},
      {.certificate = ServerCertificate::OtherHost, .host = "other.invalid", .verifies = true},
      {.certificate = ServerCertificate::Expired, .host = "127.0.0.1", .verifies = false},
  };
  for (const ChainCase& c : cases) {
    const std::string pem = testing::ReadFile(certificates.Certificate(c.certificate));
    EXPECT_EQ(ChainVerifies({pem}, c.host, certificates.Authority()), c.verifies)
        << certificates.Certificate(c.certificate) << " for " << c.host;
    // Without an authority nothing verifies.
    EXPECT_FALSE(ChainVerifies({pem}, c.host, ""));
  }
}

TEST(CaFile, TheVariableNamesAReadableFileOrNothing) {
  const testing::ScratchDirectory scratch("webaccess-ca");
  testing::WriteFile("authority.pem", "-----BEGIN CERTIFICATE-----\n");
  const std::string readable = scratch.path() + "/authority.pem";
  const std::string missing = scratch.path() + "/missing.pem";
  const struct {
    const char* value;
    bool taken;
  } cases[] = {{nullptr, true},
               {"", true},
               {readable.c_str(), true},
               {missing.c_str(), false},
               {scratch.path().c_str(), false}};  // a folder
  for (const auto& c : cases) {
    const auto getenv = [&c](const char* name) {
      return std::string(name) == kCaFileVariable ? c.value : nullptr;
    };
    std::string caFile = "before";
    std::string error;
    EXPECT_EQ(ReadCaFileSetting(getenv, caFile, error), c.taken) << c.value;
    EXPECT_EQ(caFile, c.value != nullptr ? c.value : "");
    EXPECT_EQ(error.find("WEBACCESS_CA_FILE"), c.taken ? std::string::npos : 0u) << error;
  }
}

}  // namespace
}  // namespace webaccess::platform
