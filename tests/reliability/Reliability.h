#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "programs/ProgramRunTest.h"
#include "support/WorkFileText.h"

namespace webaccess::reliability {

using programs::BatchResult;
using programs::Child;
using programs::ChildRunning;
using programs::PollUntil;

// Passwords that appear nowhere but on the command line and in the logon
// request to the server.
inline constexpr const char* kCompanyPassword = "PW9Z";
inline constexpr const char* kUserPassword = "S3CR3T";
inline constexpr const char* kCredentials = "1234567PW9Z,ABC123,S3CR3T";

// One response as the client writes it to RESPONSE.QDK: the server's
// "RESPONSE n", the record, "END OF RESPONSE n".
struct Response {
  int number = 0;
  std::string record;
};

// RESPONSE.QDK taken apart. Lines that belong to no whole response are
// `stray`; a file that ends inside a line or inside a response is `torn`
// (what a crash during the conversion leaves).
struct ResponseFile {
  std::vector<Response> responses;
  std::vector<std::string> stray;
  bool torn = false;
};
ResponseFile ReadResponses(const std::string& text);

// The work files a run leaves, as the sibling program collects them before
// it starts the client again.
struct RunOutput {
  std::string response;  // RESPONSE.QDK
  std::string audit;     // AUDIT.QDK
  ResponseFile parsed;
};

// Checks a run's output: whole responses only (a torn end when `crashed`),
// no response number twice, and one audit line per response, in the same
// order, stamped, with its error code "00". After a crash the audit file
// may run ahead of or behind the response file, but never disagrees with it.
void ExpectWholeOutput(const RunOutput& output, bool crashed = false);

// A request the server logged: its page as the server names it ("V7Main",
// "File" for the response file, "Reply" for a reply page...) and which
// request for that page it was, counted from the server's start.
struct Logged {
  std::string page;
  int occurrence = 0;
  std::string target;
};
std::vector<Logged> Classify(const std::vector<std::string>& targets);

// The steps ("File", 2) at which the server's fault switches strike.
std::set<std::pair<std::string, int>> FaultedSteps(const std::vector<std::string>& simArgs);

// Every delete request follows a download of the response file (since the
// last delete) that the server answered in full. A request that the
// transport sent twice in a row counts once.
void ExpectDeletesFollowWholeDownloads(const std::vector<Logged>& log,
                                       const std::set<std::pair<std::string, int>>& faulted);

// The number of logged requests whose target holds `part`.
std::size_t Count(const std::vector<Logged>& log, const std::string& part);

// A scratch working directory per test, webaccess-sim and webaccess-batch
// runs in it.
class ReliabilityTest : public programs::ProgramRunTest {
 protected:
  ReliabilityTest() : ProgramRunTest("webaccess-reliability") {}

  void WriteInquiry(int records, std::size_t length = 60);
  const std::vector<std::string>& Records() const { return records_; }

  // A whole run: `--time-limit` and `--yes` come first. Whatever it prints
  // shows no password.
  BatchResult Run(const std::string& timeLimit = "10", std::vector<std::string> args = {});
  // A run in the background, for a test that kills it or limits it.
  std::unique_ptr<Child> Start(std::map<std::string, std::string> extraEnvironment,
                               Child::Options options = {}, const std::string& timeLimit = "10");

  // What the sibling program would take after a run.
  RunOutput Collect() const;
  // No work file, and no text given, holds a password.
  void ExpectNoSecrets(const std::vector<std::string>& texts = {}) const;

  // The requests logged by the servers of this test, from line `from` on.
  std::vector<std::string> Requests(std::size_t from = 0) const;

  std::vector<std::string> records_;
};

}  // namespace webaccess::reliability
