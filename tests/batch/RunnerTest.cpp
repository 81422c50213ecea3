#include "batch/Runner.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>

#include "Fakes.h"
#include "support/ScratchFiles.h"
#include "support/WorkFileText.h"

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

std::size_t LinesOf(const std::string& text) { return webaccess::testing::SplitLines(text).size(); }

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
    webaccess::testing::WriteFile("INQUIRY.QDK", webaccess::testing::InquiryLines(count));
  }

  int Run(BatchOptions options) {
    server_ = std::make_unique<testing::SimulatedServer>(kBase);
    server_->options = simOptions_;
    http_ = std::make_unique<SimHttp>(*server_, clock_);
    http_->onGet = onGet_;
    transfer_ = std::make_unique<SimTransfer>(*server_, *http_);
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
  std::unique_ptr<testing::SimulatedServer> server_;
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

  EXPECT_EQ(server_->Records().size(), 10000u);
  EXPECT_EQ(LinesOf(ReadFile("RESPONSE.QDK")), 30000u);
  EXPECT_EQ(LinesOf(ReadFile("AUDIT.QDK")), 10000u);
  EXPECT_FALSE(fs::exists("INQUIRY.QDK"));
  // One pass for the sender's own NavigateServer, and at most one more for a
  // handler run from inside it: never a pass per record.
  EXPECT_LE(deepestPass, 2);
  EXPECT_LE(runner_->Loop().MaxDepth(), 3);
  EXPECT_LT(deepestStack, 256 * 1024) << "bytes of stack below the test at the deepest request";
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
  const std::vector<std::string> targets = Targets();
  EXPECT_GT(std::count(targets.begin(), targets.end(), "/Zq3/V7Count.asp?ACTION="), 5)
      << "the polls went on until the time limit";
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
    EXPECT_EQ(LinesOf(ReadFile("AUDIT.QDK")), deleted ? 2u : 0u) << c.name;
    EXPECT_EQ(fs::exists("RESPONSE.QDK"), deleted) << c.name;
    EXPECT_TRUE(fs::exists("INQUIRY.QDK")) << c.name;
  }
}

// Runs that end before the order is complete, each with its status and what
// the terminal shows.
TEST_F(RunnerTest, RunsThatEndShortSayWhy) {
  struct Case {
    const char* name;
    std::string commandLine = kCommandLine;
    std::optional<std::vector<bool>> answers = {};  // none: --yes
    std::function<void(sim::SimOptions&)> server = {};
    int status;
    std::vector<std::string> printed;
    bool orderStays = true;
    std::optional<std::vector<std::string>> targets = {};
    const char* last = nullptr;  // the last line reported
  };
  const Case cases[] = {
      {.name = "No to both questions",
       .answers = std::vector<bool>{false, false},
       .status = kEndedByAnswers,
       .printed = {},
       .targets = std::vector<std::string>{}},
      {.name = "nobody to ask means No",
       .answers = std::vector<bool>{false},  // then the terminal, which cannot ask
       .status = kEndedByAnswers,
       .printed = {"[QUESTION] ARE YOU JUST PICKING UP?\n  -> No (no terminal to ask)"},
       .targets = std::vector<std::string>{}},
      {.name = "interactive logon",
       .commandLine = "",
       .status = kNeedsPage,
       .printed = {"wants the user to work in its page",
                   "give the credentials on the command line"},
       .targets = std::vector<std::string>{"/Zq3/V7Begin.asp?ACTION=", "/Zq3/V7Login.asp"}},
      {.name = "unknown code",
       .server = [](sim::SimOptions& o) { o.error = "NOSUCHCODE"; },
       .status = kStalled,
       .printed = {"[Log On Error] Unknown command NOSUCHCODE sent from VNL Server. Contact "
                   "Vantorel!"}},
      {.name = "listed code",
       .server = [](sim::SimOptions& o) { o.error = "REVOKED"; },
       .status = kServerErrorCode,
       .printed = {"[Message From Vantorel]\n  Your User ID has been revoked!",
                   "  Press exit to continue.\n"},
       .targets =
           std::vector<std::string>{
               "/Zq3/V7Begin.asp?ACTION=&Company=1234567&CompPass=ABCD&User=ABC123&UserPass=SECRET",
               "/Zq3/Reply.asp?ACTION=EXIT&REPLY=REVOKED"}},
      // The exit is confirmed (--yes): the order goes.
      {.name = "an ABORT message",
       .server = [](sim::SimOptions& o) { o.messages = {"RUN ABORTED BY OPERATOR"}; },
       .status = kRunAborted,
       .printed = {"Status: Program Aborted by Web Server, Press Exit",
                   "  RUN ABORTED BY OPERATOR\n"},
       .orderStays = false},
      // The passwords in the failed request's URL are masked.
      {.name = "no answer to the logon",
       .server =
           [](sim::SimOptions& o) {
             o.faults = {{sim::FaultKind::Drop, sim::Page::Begin, 1}};
           },
       .status = kStalled,
       .printed = {"Request failed (Empty reply from server): http://sim.test/Zq3/V7Begin.asp?"
                   "ACTION=&Company=1234567&CompPass=****&User=ABC123&UserPass=******\n"},
       .last = "webaccess-batch: the run cannot go on: Page request V7Begin failed: Empty reply "
               "from server."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    terminal_ = RecordingTerminal{};
    WriteInquiries(2);
    simOptions_ = {};
    if (c.server) c.server(simOptions_);
    BatchOptions options = Yes(c.commandLine);
    if (c.answers) {
      options.allYes = false;
      options.answers = c.answers;
    }
    EXPECT_EQ(Run(options), c.status) << terminal_.All();
    const std::string all = terminal_.All();
    for (const std::string& text : c.printed) {
      EXPECT_NE(all.find(text), std::string::npos) << text << "\n" << all;
    }
    EXPECT_EQ(all.find("SECRET"), std::string::npos) << all;
    EXPECT_EQ(all.find("ABCD"), std::string::npos) << all;
    EXPECT_EQ(fs::exists("INQUIRY.QDK"), c.orderStays);
    EXPECT_FALSE(fs::exists("RESPONSE.QDK"));
    if (c.targets) {
      EXPECT_EQ(Targets(), *c.targets);
    }
    if (c.last != nullptr) {
      ASSERT_FALSE(terminal_.reported.empty());
      EXPECT_EQ(terminal_.reported.back(), c.last);
    }
  }
}

TEST_F(RunnerTest, PicksUpOnlyWhenNothingIsFlagged) {
  simOptions_.waiting = 2;
  EXPECT_EQ(Run(Yes()), kRunComplete);
  const std::string all = terminal_.All();
  EXPECT_NE(all.find("[QUESTION] NOTHING FLAGGED TO ORDER / ARE YOU JUST PICKING UP?"),
            std::string::npos)
      << all;
  EXPECT_NE(all.find("[RECORDS FOUND] Records found waiting to download"), std::string::npos);
  EXPECT_NE(all.find("Ordering: Just Picking Up"), std::string::npos);
  const auto targets = Targets();
  EXPECT_NE(std::find(targets.begin(), targets.end(), "/Zq3/V7Main.asp?ACTION=DONE&Batch=PICKUP"),
            targets.end());
  EXPECT_EQ(LinesOf(ReadFile("AUDIT.QDK")), 2u) << "the two waiting responses";
  EXPECT_FALSE(fs::exists("INQUIRY.QDK"));
}

// A work file that cannot be made, or an order that is there but cannot be
// read (no empty order): the report names it, nothing is sent, and the
// files of the run before stay as they were.
TEST_F(RunnerTest, AWorkFileThatCannotBeMadeOrReadEndsWithItsReport) {
  for (const char* name : {"TRACE.QDK", "INQUIRY.QDK"}) {
    SCOPED_TRACE(name);
    TearDown();
    SetUp();
    terminal_ = RecordingTerminal{};
    fs::create_directories(fs::path(name) / "in-the-way");
    webaccess::testing::WriteFile("RESPONSE.QDK", "EARLIER\r\n");
    EXPECT_EQ(Run(Yes()), kWorkFileFailure);
    ASSERT_EQ(terminal_.reported.size(), 1u);
    EXPECT_NE(terminal_.reported[0].find(name), std::string::npos) << terminal_.reported[0];
    EXPECT_TRUE(http_->requests.empty());
    EXPECT_TRUE(fs::is_directory(fs::path(name) / "in-the-way"));
    EXPECT_EQ(ReadFile("RESPONSE.QDK"), "EARLIER\r\n");
    EXPECT_FALSE(fs::exists("RESPONSE.BAK"));
  }
}

}  // namespace
}  // namespace webaccess::batch
