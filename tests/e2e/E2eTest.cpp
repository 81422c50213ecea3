// Whole program starts of webaccess-batch against webaccess-sim.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include "programs/Orders.h"
#include "programs/ProgramRunTest.h"
#include "programs/ProxyProcess.h"
#include "support/TestCertificates.h"

namespace webaccess::e2e {
namespace {

namespace fs = std::filesystem;
using programs::BatchResult;

constexpr const char* kCredentials = "1234567ABCD,ABC123,SECRET";

constexpr auto Record = programs::InquiryRecord;

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

// The response lines the client writes for the server's response number n
// to a record: the body lines of the response file, CR LF each.
std::string ResponseLines(int n, const std::string& record) {
  const std::string number = std::to_string(n);
  return "RESPONSE " + number + "\r\n" + record + "\r\n" + "END OF RESPONSE " + number + "\r\n";
}

// An audit line without its 16 characters of date and time.
std::string AuditTail(const std::string& record, const std::string& error = "00") {
  return "ABC123" + record.substr(35, 2) + record.substr(20, 15) + record.substr(1, 19) + error;
}

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  return lines;
}

// The audit file checked line by line: a date and time stamp, then the tail.
void ExpectAudit(const std::string& audit, const std::vector<std::string>& tails) {
  const std::vector<std::string> lines = CrLfLines(audit);
  ASSERT_EQ(lines.size(), tails.size());
  static const std::regex stamp(R"(\d\d/\d\d/\d\d\d\d:\d\d:\d\d)");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_TRUE(std::regex_match(lines[i].substr(0, 16), stamp)) << lines[i];
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

TEST_F(E2e, AnOrderOfTwentyFiveGoesInBatchesOfTenTenAndFive) {
  // A line too short to send is counted, never sent.
  const std::vector<std::string> lines = programs::TwentyFiveRecordOrder();
  WriteInquiry(lines);
  StartSim();
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
  // Characters that would change the request travel escaped.
  EXPECT_NE(requests[IndexOf(requests, "ACTION=REQ")].find(
                "A%26B%20%2541%20%231%20%2B2%20=!%7C%3C%3E%E9"),
            std::string::npos)
      << requests[IndexOf(requests, "ACTION=REQ")];

  // The work files, byte for byte.
  const std::vector<std::string> sent = Sent(lines);
  ASSERT_EQ(sent.size(), 25u);
  std::string response;
  std::vector<std::string> audit;
  for (int n = 1; n <= 25; ++n) {
    response += ResponseLines(n, sent[n - 1]);
    audit.push_back(AuditTail(sent[n - 1]));
  }
  EXPECT_EQ(File("RESPONSE.QDK"), response);
  ExpectAudit(File("AUDIT.QDK"), audit);
  EXPECT_EQ(File("MESSAGE.QDK"), "");
  EXPECT_EQ(File("RESPONSE.BAK"), "");
  EXPECT_FALSE(Exists("INQUIRY.QDK"));
  EXPECT_NE(File("TRACE.QDK").find(" Transactions complete\r\n"), std::string::npos);
  EXPECT_NE(run.out.find("[QUESTION] THERE ARE 26 RECORDS BEING ORDERED, IS THIS CORRRECT?"),
            std::string::npos);
  EXPECT_NE(run.out.find("Status: Tranfers complete, Press Exit To Continue."), std::string::npos);
}

TEST_F(E2e, ErrorCodesMessagesAndPiecesComeThroughByteForByte) {
  const std::vector<std::string> lines = {Record(1, 58), Record(2, 61), Record(3, 56)};
  WriteInquiry(lines);
  StartSim({"--fail-record", "2:17", "--file-message", "NOTE FROM THE FILE", "--message",
            "SERVER IS BUSY", "--ready-after", "0"});
  const BatchResult run = Batch({"--yes", kCredentials});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  // Response 2 comes as one line of LF-separated pieces.
  EXPECT_EQ(File("RESPONSE.QDK"), "RESPONSE 1\r\n" + lines[0] + "\r\nEND OF RESPONSE 1\r\n" +
                                      "RESPONSE 2\r\n" + lines[1] + "\r\nEND OF RESPONSE 2\r\n" +
                                      "RESPONSE 3\r\n" + lines[2] + "00\r\nEND OF RESPONSE 3\r\n");
  ExpectAudit(File("AUDIT.QDK"),
              {AuditTail(lines[0]), AuditTail(lines[1], "17"), AuditTail(lines[2] + "00")});
  EXPECT_EQ(File("MESSAGE.QDK"), "SERVER IS BUSY\r\nNOTE FROM THE FILE\r\n");
  EXPECT_NE(run.out.find(
                "[Message From Vantorel]\n  SERVER IS BUSY\n  \n  \n  Press exit to continue.\n"),
            std::string::npos)
      << run.out;
}

TEST_F(E2e, PickUpOnlyCollectsWhatWaitsUntilTheServerHasCompleted) {
  StartSim({"--waiting", "2", "--pickup-rounds", "2"});
  const BatchResult run = Batch({"--yes", kCredentials});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("[QUESTION] NOTHING FLAGGED TO ORDER / ARE YOU JUST PICKING UP?"),
            std::string::npos);
  EXPECT_NE(run.out.find("[RECORDS FOUND] Records found waiting to download"), std::string::npos);
  const std::vector<std::string> requests = Requests();
  EXPECT_EQ(CountContaining(requests, "ACTION=REQ"), 0u);
  EXPECT_EQ(CountContaining(requests, "/Zq3/V7Main.asp?ACTION=DONE&Batch=PICKUP"), 2u);
  EXPECT_EQ(CountContaining(requests, "_ffffs/"), 3u);
  EXPECT_EQ(CrLfLines(File("AUDIT.QDK")).size(), 2u);
  EXPECT_NE(File("RESPONSE.QDK").find("RESPONSE 2\r\nEEARLIER REQUEST 2"), std::string::npos);
  EXPECT_FALSE(Exists("INQUIRY.QDK"));
}

TEST_F(E2e, WaitingResponsesAcceptedAreDownloadedBeforeTheRecords) {
  const std::vector<std::string> lines = {Record(1, 60), Record(2, 60)};
  WriteInquiry(lines);
  StartSim({"--waiting", "2"});
  const BatchResult run = Batch({"--answers", "yes,yes", kCredentials});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::vector<std::string> requests = Requests();
  EXPECT_LT(IndexOf(requests, "_ffffs/"), IndexOf(requests, "ACTION=REQ"));
  const std::string response = File("RESPONSE.QDK");
  EXPECT_EQ(response.find("RESPONSE 1\r\nEEARLIER REQUEST 1"), 0u);
  EXPECT_TRUE(response.ends_with(ResponseLines(3, lines[0]) + ResponseLines(4, lines[1])));
  EXPECT_EQ(CrLfLines(File("AUDIT.QDK")).size(), 4u);
}

TEST_F(E2e, WaitingResponsesDeclinedAreDeletedUnread) {
  const std::vector<std::string> lines = {Record(1, 60), Record(2, 60)};
  WriteInquiry(lines);
  StartSim({"--waiting", "2"});
  const BatchResult run = Batch({"--answers", "yes,no", kCredentials});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::vector<std::string> requests = Requests();
  EXPECT_LT(IndexOf(requests, "V7Delete"), IndexOf(requests, "ACTION=REQ"));
  EXPECT_GT(IndexOf(requests, "_ffffs/"), IndexOf(requests, "ACTION=REQ"));
  EXPECT_EQ(File("RESPONSE.QDK"), ResponseLines(3, lines[0]) + ResponseLines(4, lines[1]));
}

TEST_F(E2e, AnAbortMessageStopsTheRunAndExitLeavesAsConfirmed) {
  WriteInquiry({Record(1, 60)});
  StartSim({"--message", "RUN ABORTED BY OPERATOR"});
  const BatchResult run = Batch({"--yes", kCredentials});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("Status: Program Aborted by Web Server, Press Exit"), std::string::npos);
  EXPECT_NE(run.out.find("  RUN ABORTED BY OPERATOR\n"), std::string::npos);
  EXPECT_EQ(File("MESSAGE.QDK"), "RUN ABORTED BY OPERATOR\r\n");
  EXPECT_EQ(CountContaining(Requests(), "ACTION=REQ"), 0u);
  EXPECT_FALSE(Exists("INQUIRY.QDK"));
  EXPECT_FALSE(Exists("RESPONSE.QDK"));
}

struct ErrorCodeCase {
  const char* code;
  const char* shown;  // the message window's first line
  const char* trace;
};

void PrintTo(const ErrorCodeCase& c, std::ostream* out) { *out << c.code; }

class E2eErrorCode : public E2e, public ::testing::WithParamInterface<ErrorCodeCase> {};

TEST_P(E2eErrorCode, EndsTheProgramAtOnceWithItsText) {
  WriteInquiry({Record(1, 60)});
  StartSim({"--error", GetParam().code});
  const BatchResult run = Batch({"--yes", kCredentials});
  EXPECT_EQ(run.status, 2) << run.out << run.err;
  EXPECT_NE(run.out.find(std::string("[Message From Vantorel]\n  ") + GetParam().shown),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("  Press exit to continue.\n"), std::string::npos);
  EXPECT_NE(File("TRACE.QDK").find(std::string(" ") + GetParam().trace + "\r\n"),
            std::string::npos);
  EXPECT_TRUE(Exists("INQUIRY.QDK")) << "no exit steps run";
  EXPECT_EQ(
      Requests(),
      (std::vector<std::string>{
          "/Zq3/V7Begin.asp?ACTION=&Company=1234567&CompPass=ABCD&User=ABC123&UserPass=SECRET",
          std::string("/Zq3/Reply.asp?ACTION=EXIT&REPLY=") + GetParam().code}));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, E2eErrorCode,
    ::testing::Values(
        ErrorCodeCase{"ABORT", "Received an Abort from Web Server.",
                      "Received an Abort from Web Server"},
        ErrorCodeCase{"INACTIVE", "User ID is not active in Vantorel's Computer!",
                      "User Id not active"},
        ErrorCodeCase{"TOOMANY",
                      "Since you have not entered the correct log-in information after 3 attempts",
                      "Three attempts to logon"},
        ErrorCodeCase{"TIMEOUT", "California DMV regulation state that we must log you out",
                      "10 minute time-out"},
        ErrorCodeCase{"REVOKED", "Your User ID has been revoked!", "User has been revoked"}),
    [](const auto& param) { return std::string(param.param.code); });

TEST_F(E2e, AnUnknownCodeLeavesARunThatCannotGoOn) {
  WriteInquiry({Record(1, 60)});
  StartSim({"--error", "MAINTENANCE"});
  const BatchResult run = Batch({"--yes", kCredentials});
  EXPECT_EQ(run.status, 6) << run.out << run.err;
  EXPECT_NE(run.out.find("[Log On Error] Unknown command MAINTENANCE sent from VNL Server. "
                         "Contact Vantorel!"),
            std::string::npos);
  EXPECT_TRUE(Exists("INQUIRY.QDK"));
}

TEST_F(E2e, AnInteractiveLogonIsRefusedCleanly) {
  WriteInquiry({Record(1, 60)});
  StartSim({"--interactive-logon"});
  const BatchResult run = Batch({"--yes"});
  EXPECT_EQ(run.status, 5) << run.out << run.err;
  EXPECT_NE(run.err.find("give the credentials on the command line"), std::string::npos);
  EXPECT_EQ(Requests(), (std::vector<std::string>{"/Zq3/V7Begin.asp?ACTION=", "/Zq3/V7Login.asp"}));
  EXPECT_TRUE(Exists("INQUIRY.QDK"));
  EXPECT_FALSE(Exists("RESPONSE.QDK"));
}

TEST_F(E2e, TheSessionCookieGoesWithEveryPageAndTheDownload) {
  const std::vector<std::string> lines = {Record(1, 60), Record(2, 60)};
  WriteInquiry(lines);
  StartSim({"--require-cookie"});
  const BatchResult run = Batch({"--yes", kCredentials});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(CountContaining(Requests(), "V7Login"), 0u);
  EXPECT_EQ(File("RESPONSE.QDK"), ResponseLines(1, lines[0]) + ResponseLines(2, lines[1]));
}

TEST_F(E2e, NoToBothQuestionsEndsWithoutServerContact) {
  WriteInquiry({Record(1, 60)});
  StartSim();
  const BatchResult run = Batch({"--answers", "no,no", kCredentials});
  EXPECT_EQ(run.status, 4) << run.out << run.err;
  EXPECT_TRUE(Requests().empty());
  EXPECT_TRUE(Exists("INQUIRY.QDK"));
  EXPECT_EQ(CrLfLines(File("TRACE.QDK")).size(), 1u);
}

TEST_F(E2e, TheTimeLimitEndsAWaitThatNeverEnds) {
  WriteInquiry({Record(1, 60)});
  StartSim({"--ready-after", "100000"});
  const BatchResult run = Batch({"--yes", kCredentials}, "1");
  EXPECT_EQ(run.status, 3) << run.out << run.err;
  EXPECT_TRUE(Exists("INQUIRY.QDK"));
  EXPECT_FALSE(Exists("RESPONSE.QDK"));
  EXPECT_GT(CountContaining(Requests(), "V7Count"), 5u);
}

TEST_F(E2e, AWorkFileThatCannotBeMadeOrReadEndsWithItsReportAndSendsNothing) {
  struct Case {
    const char* inTheWay;  // a folder where the work file should be
    const char* named;
  };
  const Case cases[] = {
      {.inTheWay = "TRACE.QDK/in-the-way", .named = "TRACE.QDK"},
      // An order that is there but cannot be read is no empty order.
      {.inTheWay = "INQUIRY.QDK/in-the-way", .named = "INQUIRY.QDK"},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    fs::create_directories(dir_ / c.inTheWay);
    std::ofstream(dir_ / "RESPONSE.QDK", std::ios::binary) << "EARLIER\r\n";
    StartSim();
    const BatchResult run = Batch({"--yes", kCredentials});
    EXPECT_EQ(run.status, 70) << c.named << "\n" << run.out << run.err;
    EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    EXPECT_TRUE(Requests().empty()) << c.named;
    EXPECT_TRUE(fs::is_directory(dir_ / c.inTheWay)) << c.named;
    EXPECT_EQ(File("RESPONSE.QDK"), "EARLIER\r\n") << c.named;
    EXPECT_FALSE(Exists("RESPONSE.BAK")) << c.named;
  }
}

TEST_F(E2e, BadUsageAndBadSettingsAreRefused) {
  EXPECT_EQ(Batch({"--frobnicate"}).status, 64);
  EXPECT_EQ(Batch({"--yes", "--answers", "yes"}).status, 64);
  const BatchResult badUrl = RunBatch({"--yes"}, {{"WEBACCESS_MAIN_URL", "ftp://example/"}});
  EXPECT_EQ(badUrl.status, 64);
  EXPECT_NE(badUrl.err.find("WEBACCESS_MAIN_URL"), std::string::npos);
  EXPECT_FALSE(Exists("TRACE.QDK"));
}

// The server misbehaves once; what the run makes of it.
struct FaultCase {
  const char* name;
  std::vector<std::string> simArgs;
  int status;
  const char* timeLimit;
  // For a run that cannot go on: what its trace and its last message say.
  const char* named = nullptr;
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

class E2eFault : public E2e, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(E2eFault, EndsAsExpected) {
  const std::vector<std::string> lines = {Record(1, 60), Record(2, 60), Record(3, 60)};
  WriteInquiry(lines);
  StartSim(GetParam().simArgs);
  const BatchResult run = Batch({"--yes", kCredentials}, GetParam().timeLimit);
  EXPECT_EQ(run.status, GetParam().status) << run.out << run.err;
  const std::vector<std::string> requests = Requests();
  if (GetParam().status == 0) {
    // Recovered: every response exactly once.
    EXPECT_EQ(File("RESPONSE.QDK"),
              ResponseLines(1, lines[0]) + ResponseLines(2, lines[1]) + ResponseLines(3, lines[2]));
    EXPECT_FALSE(Exists("INQUIRY.QDK"));
  } else {
    EXPECT_TRUE(Exists("INQUIRY.QDK"));
  }
  const std::string name = GetParam().name;
  if (name == "RedirectLoop") {
    EXPECT_EQ(CountContaining(requests, "/Zq3/Loop.asp?N="), 20u);
  }
  if (name == "ShortDownload" || name == "DroppedDownload" || name == "FailedDownload") {
    EXPECT_EQ(CountContaining(requests, "_ffffs/"), 2u) << "fetched again at the next poll";
    EXPECT_NE(File("TRACE.QDK").find("Download failed"), std::string::npos);
  }
  if (name == "DroppedOnAKeptConnection") {
    // The connection had served requests before, so the request is sent
    // once more at once on a fresh one, as browsers do.
    bool retried = false;
    for (std::size_t i = 0; i + 1 < requests.size(); ++i) {
      retried |= requests[i] == "/Zq3/V7Count.asp?ACTION=" && requests[i + 1] == requests[i];
    }
    EXPECT_TRUE(retried);
  }
  if (GetParam().status == 6) {
    EXPECT_NE(run.err.find("the run cannot go on"), std::string::npos) << run.err;
  }
  if (GetParam().named != nullptr) {
    const std::string named = GetParam().named;
    EXPECT_NE(File("TRACE.QDK").find(" " + named), std::string::npos) << File("TRACE.QDK");
    const std::size_t lastLine = run.err.rfind('\n', run.err.size() - 2);
    EXPECT_NE(run.err.find(named, lastLine == std::string::npos ? 0 : lastLine), std::string::npos)
        << run.err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Switches, E2eFault,
    ::testing::Values(FaultCase{"DroppedOnAKeptConnection", {"--drop-at", "V7Count:2"}, 0, "10"},
                      FaultCase{"DroppedAgainOnTheRetry",
                                {"--drop-at", "V7Main:2", "--drop-at", "V7Main:3"},
                                6,
                                "10"},
                      FaultCase{"DroppedLogon", {"--drop-at", "V7Begin"}, 6, "10"},
                      FaultCase{"ServerErrorOnRecord", {"--status500-at", "V7Main:2"}, 6, "10"},
                      FaultCase{"UriTooLong",
                                {"--uri-limit", "100"},
                                6,
                                "10",
                                "Page request V7Main failed: HTTP status 414"},
                      FaultCase{"ShortRedirect", {"--short-body-at", "V7Main:2"}, 0, "10"},
                      FaultCase{"ShortDownload", {"--short-body-at", "File:1"}, 0, "10"},
                      FaultCase{"DroppedDownload", {"--drop-at", "File:1"}, 0, "10"},
                      FaultCase{"FailedDownload", {"--status500-at", "File:1"}, 0, "10"},
                      FaultCase{"RedirectLoop", {"--redirect-loop-at", "V7Message:1"}, 6, "10"},
                      FaultCase{"Slow", {"--delay-ms", "15"}, 0, "10"},
                      FaultCase{"TooSlow", {"--delay-ms", "400"}, 3, "1"},
                      FaultCase{"ServerGone", {"--exit-after", "9"}, 6, "10"}),
    [](const auto& param) { return std::string(param.param.name); });

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
  const std::vector<std::string> trace = CrLfLines(File("TRACE.QDK"));
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
