// The company password and the user password go to the server in the logon
// request and nowhere else: not into a trace line, a status text, another
// work file, or anything webaccess-batch prints, whether the run completes
// or fails, and whether or not the passwords hold characters that a URL
// escapes.
#include "Reliability.h"

namespace webaccess::reliability {
namespace {

using namespace std::chrono_literals;

struct SecretsCase {
  const char* name;
  bool withServer;
  std::vector<std::string> simArgs;
  int status;
  const char* timeLimit = "10";
};

void PrintTo(const SecretsCase& c, std::ostream* out) { *out << c.name; }

// Passwords with characters that travel escaped; the forms in which they
// could show.
constexpr const char* kSpecialCredentials = "1234567P&%Z,ABC123,S3 R&T";
const std::vector<std::string> kSpecialForms{"P&%Z",   "P%26%25Z",   "%26%25Z",
                                             "S3 R&T", "S3%20R%26T", "%20R%26T"};

class Secrets : public ReliabilityTest, public ::testing::WithParamInterface<SecretsCase> {};

TEST_P(Secrets, ThePasswordsShowNowhere) {
  const SecretsCase& c = GetParam();
  WriteInquiry(3);
  if (c.withServer) {
    ASSERT_NO_FATAL_FAILURE(StartSim(c.simArgs));
  }
  const BatchResult run =
      RunBatch({"--time-limit", c.timeLimit, "--yes", kSpecialCredentials}, Environment());
  EXPECT_EQ(run.status, c.status) << run.out << run.err;

  std::vector<std::pair<std::string, std::string>> places{{"standard output", run.out},
                                                          {"standard error", run.err}};
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    // The server's own log holds what it received.
    const std::string name = entry.path().filename().string();
    if (name != "requests.log" && name != "sim.err") places.emplace_back(name, File(name));
  }
  EXPECT_TRUE(Exists("TRACE.QDK"));
  for (const auto& [place, text] : places) {
    for (const std::string& secret : kSpecialForms) {
      EXPECT_EQ(text.find(secret), std::string::npos) << secret << " in " << place << ":\n" << text;
    }
  }
  if (c.withServer) {
    // The passwords did go out, escaped, in the logon request.
    EXPECT_NE(File("requests.log").find("&CompPass=P%26%25Z&User=ABC123&UserPass=S3%20R%26T"),
              std::string::npos)
        << File("requests.log");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, Secrets,
    ::testing::Values(SecretsCase{"Complete", true, {}, 0},
                      SecretsCase{"LogonDropped", true, {"--drop-at", "V7Begin:1"}, 6},
                      SecretsCase{"LogonAnswered500", true, {"--status500-at", "V7Begin:1"}, 6},
                      SecretsCase{"NoServer", false, {}, 6},
                      SecretsCase{"ServerErrorCode", true, {"--error", "REVOKED"}, 2},
                      SecretsCase{"TimeLimit", true, {"--ready-after", "100000"}, 3, "1"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace webaccess::reliability
