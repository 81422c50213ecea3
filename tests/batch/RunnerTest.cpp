#include "batch/Runner.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Fakes.h"
#include "support/ScratchFiles.h"

namespace webaccess::batch {
namespace {

namespace fs = std::filesystem;
using testing::RecordingTerminal;
using testing::SimHttp;
using testing::SimTransfer;
using webaccess::testing::VirtualClock;

constexpr const char* kBase = "http://sim.test/";
constexpr const char* kCommandLine = "1234567ABCD,ABC123,SECRET";

using webaccess::testing::ReadFile;

std::size_t CountLines(const std::string& text) {
  std::size_t lines = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos;
       at = text.find("\r\n", at + 2)) {
    ++lines;
  }
  return lines;
}

// A whole program start of the runner in a fresh working directory, against
// the simulated server in process: no sockets, no real waiting.
class RunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    // Work files are synced to disk as they are closed; a memory file
    // system makes that free, so long runs stay quick.
    const fs::path scratch =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    dir_ = scratch / ("webaccess-runner-" + std::to_string(::getpid()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(home_);
    fs::remove_all(dir_);
  }

  void WriteInquiries(int count) {
    std::ofstream out("INQUIRY.QDK", std::ios::binary);
    for (int n = 1; n <= count; ++n) {
      std::string record = "R" + std::to_string(n);
      record.resize(58, '.');
      out << record << "\r\n";
    }
  }

  int Run(BatchOptions options) {
    sim_ = std::make_unique<sim::SimServer>(simOptions_, kBase);
    http_ = std::make_unique<SimHttp>(*sim_, clock_);
    http_->onGet = onGet_;
    transfer_ = std::make_unique<SimTransfer>(*sim_, *http_);
    protocol::Settings settings{{{"Main Server", kBase},
                                 {"Alternate Server", kBase},
                                 {"Test Server", kBase},
                                 {"I.P. Address", kBase}},
                                20};
    runner_ = std::make_unique<Runner>(
        options, settings, RunServices{*http_, *transfer_, clock_, terminal_, stopSignal_});
    return runner_->Run();
  }

  static BatchOptions Yes(std::string commandLine = kCommandLine) {
    BatchOptions options;
    options.allYes = true;
    options.commandLine = std::move(commandLine);
    return options;
  }

  std::vector<std::string> Targets() const {
    std::vector<std::string> targets;
    for (const auto& [url, cookie] : http_->requests) targets.push_back(testing::TargetOf(url));
    return targets;
  }

  fs::path home_;
  fs::path dir_;
  sim::SimOptions simOptions_;
  std::function<void(const std::string&)> onGet_;
  std::function<int()> stopSignal_;
  VirtualClock clock_;
  RecordingTerminal terminal_;
  std::unique_ptr<sim::SimServer> sim_;
  std::unique_ptr<SimHttp> http_;
  std::unique_ptr<SimTransfer> transfer_;
  std::unique_ptr<Runner> runner_;
};

TEST_F(RunnerTest, TenThousandRecordsRunInBoundedStackDepth) {
  WriteInquiries(10000);
  simOptions_.readyAfter = 0;
  int deepestPass = 0;
  std::ptrdiff_t deepestStack = 0;
  const char top = 0;
  // Every request is made inside a NavigateServer call: measure there.
  onGet_ = [&](const std::string&) {
    const char here = 0;
    deepestPass = std::max(deepestPass, runner_->Loop().Depth());
    deepestStack = std::max(deepestStack, &top - &here);
  };
  EXPECT_EQ(Run(Yes()), kRunComplete);

  EXPECT_EQ(sim_->Records().size(), 10000u);
  EXPECT_EQ(CountLines(ReadFile("RESPONSE.QDK")), 30000u);
  EXPECT_EQ(CountLines(ReadFile("AUDIT.QDK")), 10000u);
  EXPECT_FALSE(fs::exists("INQUIRY.QDK"));
  // One pass for the sender's own NavigateServer, and at most one more for a
  // handler run from inside it: never a pass per record.
  EXPECT_LE(deepestPass, 2);
  EXPECT_LE(runner_->Loop().MaxDepth(), 3);
  EXPECT_LT(deepestStack, 256 * 1024) << "bytes of stack below the test at the deepest request";
}

TEST_F(RunnerTest, AnOrderOfTwentyFiveGoesInBatchesOfTenTenAndFive) {
  WriteInquiries(25);
  EXPECT_EQ(Run(Yes()), kRunComplete);
  std::vector<int> batches{0};
  for (const std::string& target : Targets()) {
    if (target.find("ACTION=REQ") != std::string::npos) ++batches.back();
    if (target.find("ACTION=DONE") != std::string::npos) batches.push_back(0);
  }
  EXPECT_EQ(batches, (std::vector<int>{10, 10, 5, 0}));
  EXPECT_NE(terminal_.All().find("Status: Tranfers complete, Press Exit To Continue."),
            std::string::npos);
}

TEST_F(RunnerTest, NoToBothQuestionsEndsBeforeAnyServerContact) {
  WriteInquiries(3);
  BatchOptions options;
  options.answers = std::vector<bool>{false, false};
  options.commandLine = kCommandLine;
  EXPECT_EQ(Run(options), kEndedByAnswers);
  EXPECT_TRUE(http_->requests.empty());
  EXPECT_TRUE(fs::exists("INQUIRY.QDK"));
  EXPECT_EQ(CountLines(ReadFile("TRACE.QDK")), 1u);
  EXPECT_FALSE(fs::exists("MESSAGE.QDK"));
}

TEST_F(RunnerTest, NobodyToAskMeansNo) {
  WriteInquiries(3);
  BatchOptions options;
  options.answers = std::vector<bool>{false};  // then the terminal, which cannot ask
  EXPECT_EQ(Run(options), kEndedByAnswers);
  EXPECT_NE(
      terminal_.All().find("[QUESTION] ARE YOU JUST PICKING UP?\n  -> No (no terminal to ask)"),
      std::string::npos)
      << terminal_.All();
}

TEST_F(RunnerTest, TheTimeLimitEndsAsTheCloseBoxDoes) {
  WriteInquiries(3);
  simOptions_.readyAfter = 1000000;
  BatchOptions options = Yes();
  options.timeLimitSeconds = 5;
  const std::int64_t start = clock_.SteadyMilliseconds();
  EXPECT_EQ(Run(options), kTimeLimit);
  EXPECT_GE(clock_.SteadyMilliseconds() - start, 5000);
  EXPECT_LT(clock_.SteadyMilliseconds() - start, 5000 + 250);
  EXPECT_TRUE(fs::exists("INQUIRY.QDK"));
  EXPECT_FALSE(fs::exists("RESPONSE.QDK")) << "no empty response file is left";
}

// Between turns, a stop signal or a No to "TIRED OF WAITING?" ends the run
// as the close box does; a pick-up under way finishes first.
TEST_F(RunnerTest, StoppedBetweenTurnsItLeavesAsTheCloseBoxDoes) {
  struct Case {
    const char* name;
    const char* stopAfter;  // a stop signal comes once a request for this was made (null: at once)
    int signal;
    bool answerNoToWaiting;  // and every download fails
    int status;
    const char* last;  // the last page request
  };
  const Case cases[] = {
      {"SIGTERM during a wait", "ACTION=DONE", SIGTERM, false, kStoppedBySignal + SIGTERM,
       "/Zq3/Reply.asp?ACTION=QUEUED&BATCH="},
      {"SIGINT while the delete request is under way", "V7Delete", SIGINT, false,
       kStoppedBySignal + SIGINT, "/Zq3/Reply.asp?ACTION=DELETED"},
      {"No to TIRED OF WAITING? while every download fails", "", 0, true, kStoppedWaiting,
       "/Zq3/Reply.asp?ACTION=COUNT&REPLY=OKAY"},
      // The question is left unanswered: nothing is sent.
      {"SIGINT at the order question", nullptr, SIGINT, false, kStoppedBySignal + SIGINT, nullptr},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    terminal_ = RecordingTerminal{};
    WriteInquiries(2);
    simOptions_.faults.clear();
    for (int n = 1; c.answerNoToWaiting && n <= 100; ++n) {
      simOptions_.faults.push_back({sim::FaultKind::Drop, sim::Page::File, n});
    }
    stopSignal_ = [this, &c] {
      if (c.stopAfter == nullptr) return c.signal;
      for (const auto& [url, cookie] : http_->requests) {
        if (url.find(c.stopAfter) != std::string::npos) return c.signal;
      }
      return 0;
    };
    BatchOptions options;
    options.answers = std::vector<bool>{true, !c.answerNoToWaiting};
    options.commandLine = kCommandLine;
    EXPECT_EQ(Run(options), c.status) << c.name << "\n" << terminal_.All();
    const std::vector<std::string> targets = Targets();
    EXPECT_EQ(targets.empty() ? "" : targets.back().substr(0, std::string(c.last).size()),
              c.last ? c.last : "")
        << c.name;
    EXPECT_NE(terminal_.reported.back().find("ending as if the window were closed."),
              std::string::npos)
        << c.name;
    // The responses stored are the ones the server deleted, and the order stays.
    const bool deleted = c.stopAfter && std::string(c.stopAfter) == "V7Delete";
    EXPECT_EQ(
        terminal_.All().find("Status: Leaving once the pick-up has finished.") != std::string::npos,
        deleted)
        << c.name;
    EXPECT_EQ(CountLines(ReadFile("AUDIT.QDK")), deleted ? 2u : 0u) << c.name;
    EXPECT_EQ(fs::exists("RESPONSE.QDK"), deleted) << c.name;
    EXPECT_TRUE(fs::exists("INQUIRY.QDK")) << c.name;
  }
}

TEST_F(RunnerTest, RunsThatCannotGoOnEndWithTheReason) {
  struct Case {
    const char* name;
    std::string commandLine;
    std::optional<std::string> error;
    int status;
    const char* printed;
  };
  const Case cases[] = {
      {"interactive logon", "", std::nullopt, kNeedsPage, "wants the user to work in its page"},
      {"unknown code", kCommandLine, "NOSUCHCODE", kStalled,
       "[Log On Error] Unknown command NOSUCHCODE sent from VNL Server. Contact Vantorel!"},
      {"listed code", kCommandLine, "REVOKED", kServerErrorCode,
       "  Your User ID has been revoked!"},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    terminal_ = RecordingTerminal{};
    WriteInquiries(2);
    simOptions_.error = c.error;
    EXPECT_EQ(Run(Yes(c.commandLine)), c.status) << c.name;
    EXPECT_NE(terminal_.All().find(c.printed), std::string::npos) << c.name << "\n"
                                                                  << terminal_.All();
    EXPECT_TRUE(fs::exists("INQUIRY.QDK")) << c.name;
  }
}

TEST_F(RunnerTest, AFailedRequestIsReportedWithThePasswordsMasked) {
  WriteInquiries(2);
  simOptions_.faults = {{sim::FaultKind::Drop, sim::Page::Begin, 1}};
  EXPECT_EQ(Run(Yes()), kStalled);
  const std::string all = terminal_.All();
  EXPECT_NE(all.find("Request failed (Empty reply from server): http://sim.test/Zq3/V7Begin.asp?"
                     "ACTION=&Company=1234567&CompPass=****&User=ABC123&UserPass=******\n"),
            std::string::npos)
      << all;
  EXPECT_EQ(all.find("SECRET"), std::string::npos) << all;
  EXPECT_EQ(all.find("ABCD"), std::string::npos);
}

TEST_F(RunnerTest, ARequestThatFailsAndStopsTheRunIsNamedInTheTraceAndLastMessage) {
  struct Case {
    const char* name;
    std::vector<sim::FaultPoint> faults;
    const char* named;
  };
  const Case cases[] = {
      {.name = "no answer to the logon",
       .faults = {{sim::FaultKind::Drop, sim::Page::Begin, 1}},
       .named = "Page request V7Begin failed: Empty reply from server"},
      {.name = "500 at a record",
       .faults = {{sim::FaultKind::ServerError, sim::Page::Main, 2}},
       .named = "Page request V7Main failed: HTTP status 500"},
      {.name = "a redirect loop",
       .faults = {{sim::FaultKind::RedirectLoop, sim::Page::Message, 1}},
       .named = "Page request V7Message failed: more than 20 redirects"},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    terminal_ = RecordingTerminal{};
    WriteInquiries(2);
    simOptions_.faults = c.faults;
    EXPECT_EQ(Run(Yes()), kStalled) << c.name;
    ASSERT_FALSE(terminal_.reported.empty()) << c.name;
    EXPECT_EQ(terminal_.reported.back(),
              std::string("webaccess-batch: the run cannot go on: ") + c.named + ".")
        << c.name;
    const std::string trace = ReadFile("TRACE.QDK");
    EXPECT_NE(trace.find(std::string(" ") + c.named + "\r\n"), std::string::npos) << c.name << "\n"
                                                                                  << trace;
    EXPECT_TRUE(fs::exists("INQUIRY.QDK")) << c.name;
  }
}

TEST_F(RunnerTest, PicksUpOnlyWhenNothingIsFlagged) {
  simOptions_.waiting = 2;
  EXPECT_EQ(Run(Yes()), kRunComplete);
  EXPECT_NE(terminal_.All().find("Ordering: Just Picking Up"), std::string::npos);
  const auto targets = Targets();
  EXPECT_NE(std::find(targets.begin(), targets.end(), "/Zq3/V7Main.asp?ACTION=DONE&Batch=PICKUP"),
            targets.end());
  EXPECT_EQ(CountLines(ReadFile("AUDIT.QDK")), 2u) << "the two waiting responses";
}

TEST_F(RunnerTest, TheDownloadSendsTheSessionCookieToo) {
  WriteInquiries(3);
  simOptions_.requireCookie = true;
  EXPECT_EQ(Run(Yes()), kRunComplete);
  EXPECT_EQ(CountLines(ReadFile("AUDIT.QDK")), 3u);
  EXPECT_EQ(ReadFile("RESPONSE.QDK").find("<html>"), std::string::npos);
}

TEST_F(RunnerTest, AWorkFileFailureEndsWithItsReport) {
  fs::create_directories("TRACE.QDK/inside");
  EXPECT_EQ(Run(Yes()), kWorkFileFailure);
  ASSERT_EQ(terminal_.reported.size(), 1u);
  EXPECT_NE(terminal_.reported[0].find("TRACE.QDK"), std::string::npos) << terminal_.reported[0];
}

}  // namespace
}  // namespace webaccess::batch
