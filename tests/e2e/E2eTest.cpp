// Whole program starts of webaccess-batch against webaccess-sim: one whole
// order byte for byte, the refusals of bad usage, and what only the real
// transport shows (TLS, proxies). How a run ends otherwise is the runner's
// (tests/batch), the conversation's (tests/core) and the fault table's
// (tests/reliability).
#include <gtest/gtest.h>

#include <algorithm>

#include "programs/Orders.h"
#include "programs/ProgramRunTest.h"
#include "programs/ProxyProcess.h"
#include "support/SimulatedServer.h"
#include "support/TestCertificates.h"
#include "support/WorkFileText.h"

namespace webaccess::e2e {
namespace {

using programs::BatchResult;
using testing::AuditTail;
using testing::InquiryRecord;
using testing::ResponseLines;

constexpr const char* kCredentials = "1234567ABCD,ABC123,SECRET";

std::string Record(int n, std::size_t length) {
  return InquiryRecord(n, length, testing::RecordTail::Escaped);
}

// What the server receives for a line of the inquiry file: lines of 56 or
// more characters, a line of exactly 56 with "00" appended.
std::vector<std::string> Sent(const std::vector<std::string>& lines) {
  std::vector<std::string> sent;
  for (const std::string& line : lines) {
    if (line.size() == 56) sent.push_back(line + "00");
    if (line.size() > 56) sent.push_back(line);
  }
  return sent;
}

// The audit file checked line by line: a date and time stamp, then the tail.
void ExpectAudit(const std::string& audit, const std::vector<std::string>& tails) {
  EXPECT_TRUE(audit.ends_with("\r\n")) << "text after the last CR LF";
  const std::vector<std::string> lines = testing::SplitLines(audit);
  ASSERT_EQ(lines.size(), tails.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_TRUE(testing::IsAuditStamp(lines[i].substr(0, 16))) << lines[i];
    EXPECT_EQ(lines[i].substr(16), tails[i]) << "audit line " << i + 1;
  }
}

std::size_t CountContaining(const std::vector<std::string>& lines, const std::string& part) {
  return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& l) {
    return l.find(part) != std::string::npos;
  }));
}

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& part) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find(part) != std::string::npos) return i;
  }
  return lines.size();
}

class E2e : public programs::ProgramRunTest {
 protected:
  E2e() : ProgramRunTest("webaccess-e2e") {}

  void WriteInquiry(const std::vector<std::string>& lines) { programs::WriteInquiry(dir_, lines); }

  // Runs the client, bounded by its own time limit; whatever it prints
  // never shows a password.
  BatchResult Batch(const std::vector<std::string>& args, const std::string& timeLimit = "10",
                    std::map<std::string, std::string> environment = {}) {
    std::vector<std::string> all{"--time-limit", timeLimit};
    all.insert(all.end(), args.begin(), args.end());
    environment.insert(environment_.begin(), environment_.end());
    const std::map<std::string, std::string> base = Environment();
    environment.insert(base.begin(), base.end());
    BatchResult result = RunBatch(all, environment);
    for (const std::string* text : {&result.out, &result.err}) {
      EXPECT_EQ(text->find("SECRET"), std::string::npos) << *text;
      EXPECT_EQ(text->find("CompPass=ABCD"), std::string::npos) << *text;
    }
    return result;
  }

  std::map<std::string, std::string> environment_;  // more for the client
};

// The whole order through both programs: three batches, a response with an
// error code, a server message and one in the response file, LF-separated
// pieces, and the session cookie on every page and the download.
TEST_F(E2e, AWholeOrderComesThroughByteForByte) {
  // A line too short to send is counted, never sent.
  const std::vector<std::string> lines = programs::TwentyFiveRecordOrder();
  WriteInquiry(lines);
  StartSim({"--require-cookie", "--fail-record", "2:17", "--file-message", "NOTE FROM THE FILE",
            "--message", "SERVER IS BUSY"});
  const BatchResult run = Batch({"--yes", kCredentials});
  ASSERT_EQ(run.status, 0) << run.out << run.err;

  // The requests: logon with every credential at its full width, then
  // records in three batches, each closed by DONE with its own id.
  const std::vector<std::string> requests = Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0],
            "/Zq3/V7Begin.asp?ACTION=&Company=1234567&CompPass=ABCD&User=ABC123&UserPass=SECRET");
  std::vector<int> batchSizes{0};
  std::string batchId;
  for (const std::string& target : requests) {
    const std::size_t req = target.find("ACTION=REQ&TheRecord=");
    if (req != std::string::npos) {
      const std::string id = target.substr(req + 21, 6);
      if (batchSizes.back() == 0) batchId = id;
      EXPECT_EQ(id, batchId) << target;
      EXPECT_EQ(target[req + 27], '!');
      ++batchSizes.back();
    }
    if (target.find("ACTION=DONE&Batch=") != std::string::npos) {
      EXPECT_EQ(target, "/Zq3/V7Main.asp?ACTION=DONE&Batch=" + batchId);
      batchSizes.push_back(0);
    }
  }
  EXPECT_EQ(batchSizes, (std::vector<int>{10, 10, 5, 0}));
  EXPECT_EQ(CountContaining(requests, "/Zq3/_ffffs/1234567ABC123.TXT"), 3u);
  EXPECT_EQ(CountContaining(requests, "/Zq3/V7Delete.asp?ACTION="), 3u);
  // The session cookie went with every page: none was sent to the logon page.
  EXPECT_EQ(CountContaining(requests, "V7Login"), 0u);
  // Characters that would change the request travel escaped.
  EXPECT_NE(requests[IndexOf(requests, "ACTION=REQ")].find(
                "A%26B%20%2541%20%231%20%2B2%20=!%7C%3C%3E%E9"),
            std::string::npos)
      << requests[IndexOf(requests, "ACTION=REQ")];

  // The work files, byte for byte. Response 2 comes as one line of
  // LF-separated pieces, with the error code 17.
  const std::vector<std::string> sent = Sent(lines);
  ASSERT_EQ(sent.size(), 25u);
  std::string response;
  std::vector<std::string> audit;
  for (int n = 1; n <= 25; ++n) {
    response += ResponseLines(n, sent[n - 1]);
    audit.push_back(AuditTail("ABC123", sent[n - 1], n == 2 ? "17" : "00"));
  }
  EXPECT_EQ(File("RESPONSE.QDK"), response);
  ExpectAudit(File("AUDIT.QDK"), audit);
  EXPECT_EQ(File("MESSAGE.QDK"), "SERVER IS BUSY\r\nNOTE FROM THE FILE\r\n");
  EXPECT_EQ(File("RESPONSE.BAK"), "");
  EXPECT_FALSE(Exists("INQUIRY.QDK"));
  EXPECT_NE(File("TRACE.QDK").find(" Transactions complete\r\n"), std::string::npos);
  EXPECT_NE(run.out.find("[QUESTION] THERE ARE 26 RECORDS BEING ORDERED, IS THIS CORRRECT?"),
            std::string::npos);
  EXPECT_NE(run.out.find("Status: Tranfers complete, Press Exit To Continue."), std::string::npos);
  EXPECT_NE(run.out.find(
                "[Message From Vantorel]\n  SERVER IS BUSY\n  \n  \n  Press exit to continue.\n"),
            std::string::npos)
      << run.out;
}

TEST_F(E2e, BadUsageAndBadSettingsAreRefused) {
  EXPECT_EQ(Batch({"--frobnicate"}).status, 64);
  EXPECT_EQ(Batch({"--yes", "--answers", "yes"}).status, 64);
  const BatchResult badUrl = RunBatch({"--yes"}, {{"WEBACCESS_MAIN_URL", "ftp://example/"}});
  EXPECT_EQ(badUrl.status, 64);
  EXPECT_NE(badUrl.err.find("WEBACCESS_MAIN_URL"), std::string::npos);
  EXPECT_FALSE(Exists("TRACE.QDK"));
}

// The server over https, with one certificate per row; the client trusts
// the private authority through WEBACCESS_CA_FILE only.
struct TlsCase {
  const char* name;
  testing::ServerCertificate certificate;
  int status;       // 0: the whole order completes
  const char* why;  // what the refusal names
};

void PrintTo(const TlsCase& c, std::ostream* out) { *out << c.name; }

class E2eTls : public E2e, public ::testing::WithParamInterface<TlsCase> {};

TEST_P(E2eTls, OnlyATrustedCertificateCarriesTheOrder) {
  const TlsCase& c = GetParam();
  const testing::TestCertificates certificates((dir_ / "certificates").string());
  environment_["WEBACCESS_CA_FILE"] = certificates.Authority();
  const std::vector<std::string> lines{Record(1, 60), Record(2, 61), Record(3, 60)};
  WriteInquiry(lines);
  const auto order = [&] {
    const BatchResult run = Batch({"--yes", kCredentials});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(CountContaining(Requests(), "/Zq3/_ffffs/1234567ABC123.TXT"), 1u);
    std::string response;
    for (int n = 1; n <= 3; ++n) response += ResponseLines(n, lines[n - 1]);
    EXPECT_EQ(File("RESPONSE.QDK"), response);
  };
  StartSim({"--tls", certificates.Certificate(c.certificate), certificates.Key()});
  ASSERT_EQ(sim_->BaseUrl().substr(0, 8), "https://");
  if (c.status == 0) {
    order();
    return;
  }

  const BatchResult refused = Batch({"--yes", kCredentials});
  EXPECT_EQ(refused.status, c.status) << refused.out << refused.err;
  // The connection ended in the handshake: the server saw no request.
  EXPECT_EQ(Requests(), std::vector<std::string>{});
  const std::string text = std::string("The server's certificate was refused: ");
  EXPECT_NE(refused.out.find("Status: " + text), std::string::npos) << refused.out;
  EXPECT_NE(refused.out.find(c.why), std::string::npos) << refused.out;
  const std::vector<std::string> trace = testing::SplitLines(File("TRACE.QDK"));
  ASSERT_FALSE(trace.empty());
  EXPECT_NE(trace.back().find(text), std::string::npos) << trace.back();
  EXPECT_NE(trace.back().find(c.why), std::string::npos) << trace.back();
  EXPECT_TRUE(Exists("INQUIRY.QDK"));

  // The same order against a server that can be trusted.
  StartSim(
      {"--tls", certificates.Certificate(testing::ServerCertificate::Trusted), certificates.Key()});
  order();
}

INSTANTIATE_TEST_SUITE_P(
    Certificates, E2eTls,
    ::testing::Values(TlsCase{"Trusted", testing::ServerCertificate::Trusted, 0, ""},
                      TlsCase{"SelfSigned", testing::ServerCertificate::SelfSigned, 7,
                              "self-signed"},
                      TlsCase{"OtherHost", testing::ServerCertificate::OtherHost, 7, "host name"},
                      TlsCase{"Expired", testing::ServerCertificate::Expired, 7, "expired"}),
    [](const auto& param) { return std::string(param.param.name); });
// An order through the proxy that http_proxy names, or past it.
struct ProxyCase {
  const char* name;
  bool proxyUp;          // false: nothing listens on the proxy's port
  const char* noProxy;   // no_proxy
  int status;            // of the run through the proxy
  bool throughTheProxy;  // every request of the run is in the proxy's log
};

void PrintTo(const ProxyCase& c, std::ostream* out) { *out << c.name; }

class E2eProxy : public E2e, public ::testing::WithParamInterface<ProxyCase> {};

TEST_P(E2eProxy, EveryRequestGoesWhereTheEnvironmentSays) {
  const ProxyCase& row = GetParam();
  const std::vector<std::string> lines = {Record(1, 60), Record(2, 60)};
  WriteInquiry(lines);
  StartSim();
  std::unique_ptr<programs::ProxyProcess> proxy;
  std::string proxyUrl = programs::RefusingProxyUrl();
  if (row.proxyUp) {
    proxy = std::make_unique<programs::ProxyProcess>(dir_);
    ASSERT_FALSE(proxy->Url().empty()) << File("proxy.log");
    proxyUrl = proxy->Url();
  }
  const BatchResult run =
      Batch({"--yes", kCredentials}, "10", {{"http_proxy", proxyUrl}, {"no_proxy", row.noProxy}});
  EXPECT_EQ(run.status, row.status) << run.out << run.err;
  if (proxy) {
    const std::vector<std::string> passed = proxy->Requests();
    EXPECT_EQ(passed, row.throughTheProxy ? Requests() : std::vector<std::string>{});
    EXPECT_EQ(CountContaining(passed, "/Zq3/_ffffs/"), row.throughTheProxy ? 1u : 0u);
  }
  if (row.status == 0) {
    EXPECT_EQ(File("RESPONSE.QDK"), ResponseLines(1, lines[0]) + ResponseLines(2, lines[1]));
    return;
  }
  // The report and the trace name the failure and the proxy; nothing was
  // sent, and the order runs again as it was.
  EXPECT_NE(run.err.find("Request failed (Failed to connect to 127.0.0.1"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("; http_proxy is " + proxyUrl + "):"), std::string::npos) << run.err;
  EXPECT_NE(
      File("TRACE.QDK").find(" Page request V7Begin failed: Failed to connect to 127.0.0.1 port "),
      std::string::npos)
      << File("TRACE.QDK");
  EXPECT_TRUE(Requests().empty());
  const BatchResult again = Batch({"--yes", kCredentials});
  ASSERT_EQ(again.status, 0) << again.out << again.err;
  EXPECT_EQ(File("RESPONSE.QDK"), ResponseLines(1, lines[0]) + ResponseLines(2, lines[1]));
}

INSTANTIATE_TEST_SUITE_P(Environment, E2eProxy,
                         ::testing::Values(ProxyCase{.name = "ThroughTheProxy",
                                                     .proxyUp = true,
                                                     .noProxy = "",
                                                     .status = 0,
                                                     .throughTheProxy = true},
                                           ProxyCase{.name = "NoProxyNamesTheHost",
                                                     .proxyUp = true,
                                                     .noProxy = "127.0.0.1",
                                                     .status = 0,
                                                     .throughTheProxy = false},
                                           ProxyCase{.name = "TheProxyRefuses",
                                                     .proxyUp = false,
                                                     .noProxy = "",
                                                     .status = 6,
                                                     .throughTheProxy = false}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace webaccess::e2e
