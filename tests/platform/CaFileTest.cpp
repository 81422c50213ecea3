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
  for (const char* value :
       {static_cast<const char*>(nullptr), "", readable.c_str(), missing.c_str()}) {
    const auto getenv = [value](const char* name) {
      return std::string(name) == kCaFileVariable ? value : nullptr;
    };
    std::string caFile = "before";
    std::string error;
    const bool missingFile = value == missing.c_str();
    EXPECT_EQ(ReadCaFileSetting(getenv, caFile, error), !missingFile);
    EXPECT_EQ(caFile, value != nullptr ? value : "");
    EXPECT_EQ(error.find("WEBACCESS_CA_FILE"), missingFile ? 0u : std::string::npos) << error;
  }
}

}  // namespace
}  // namespace webaccess::platform
