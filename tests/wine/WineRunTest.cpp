// webaccess-batch.exe, installed from the MSI, under Wine: each row runs one
// order twice, by the Linux webaccess-batch and by the Windows one, each in
// a working directory of its own against a webaccess-sim of its own, and the
// two must come out the same: exit statuses, the requests the server logged,
// every work file byte for byte, what the program printed. What must differ
// is masked: time stamps, batch ids (the time of day), the servers' ports,
// line ends of what is printed, and the transport's own words for a
// failure. The Linux runs are held to their expectations by the e2e and
// reliability suites; here the Windows runs are held to them.
//
// scripts/windows-tests.sh installs the MSI and runs this with WINE (the
// wine64 loader), WEBACCESS_WINDOWS_BATCH (the installed program's Windows
// path) and WEBACCESS_COMMAND_LINE_READER (a Windows program that prints
// another process's command line as Windows keeps it for others to read).
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <regex>

#include "programs/Orders.h"
#include "programs/ProgramRunTest.h"
#include "programs/ProxyProcess.h"
#include "support/ScratchFiles.h"
#include "support/TestCertificates.h"
#include "support/WorkFileText.h"

namespace webaccess::wine {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ServerCertificate;

constexpr const char* kCredentials = "1234567PW9Z,ABC123,S3CR3T";

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

enum class Then {
  Ends,             // one run
  AgainSameServer,  // a second run, against the first run's server
  AgainNewServer,   // a second run, against a new server: the first is gone
};

struct Row {
  const char* name = "";
  std::vector<std::string> simArgs = {};
  std::vector<int> statuses = {};  // of the Linux runs
  Then then = Then::Ends;
  int records = 3;  // 0: the order of 25
  // Kill the client once the server has logged a request holding this.
  const char* killAt = nullptr;
  // Send the client SIGINT (Ctrl+C) once the server has logged a request
  // holding this, and let it end by itself.
  const char* interruptAt = nullptr;
  std::optional<ServerCertificate> tls = {};  // https, trusting the authority through the CA file
  bool proxy = false;                         // http_proxy names a proxy on loopback
  // The client on a console, with these keys typed at its questions, one
  // by one; without, it answers --yes.
  std::optional<std::vector<std::string>> typed = {};
  const char* timeLimit = "10";
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

std::string Masked(std::string text) {
  static const std::vector<std::pair<std::regex, const char*>> masks = {
      {std::regex(R"(\d\d/\d\d/\d\d\d\d[ :]\d\d:\d\d(:\d\d)?)"), "<stamp>"},
      {std::regex(R"((Batch=|BATCH=|TheRecord=)\d{6})"), "$1<id>"},
      {std::regex(R"((failed|refused): [^\r\n]*)"), "$1: <why>"},
      {std::regex(R"(failed \(.*\): )"), "failed (<why>): "},
      {std::regex(R"((127\.0\.0\.1|localhost):\d+)"), "$1:<port>"},
      {std::regex("\r\n"), "\n"},
  };
  for (const auto& [pattern, replacement] : masks) {
    text = std::regex_replace(text, pattern, replacement);
  }
  return text;
}

// The reply page of a batch-done request. The first poll follows that
// request by one poll interval and abandons its navigation if the redirect
// to this page has not been followed by then, which depends on timing (a
// proxy in between takes long enough): on either system it may be there or
// not, and nothing depends on it.
bool BatchDoneReply(const std::string& target) {
  return target.starts_with("/Zq3/Reply.asp?ACTION=QUEUED&");
}

// What a row's runs leave behind on one system.
struct Outcome {
  std::vector<int> statuses;
  std::vector<std::string> requests;  // masked
  std::map<std::string, std::string> files;
  std::string out;
  std::string err;
  std::vector<std::string> proxied;  // the requests the proxy passed on
  std::string shownCredentials;      // the credentials word as another process reads it
};

class WineRun : public programs::ProgramRunTest, public ::testing::WithParamInterface<Row> {
 protected:
  WineRun() : ProgramRunTest("webaccess-wine") {}

  void SetUp() override {
    ProgramRunTest::SetUp();
    base_ = dir_;
    ASSERT_FALSE(Variable("WINE").empty() || Variable("WEBACCESS_WINDOWS_BATCH").empty())
        << "run by scripts/windows-tests.sh";
  }
  void TearDown() override {
    dir_ = base_;
    ProgramRunTest::TearDown();
  }

  std::vector<std::string> Program(bool windows) const {
    if (windows) return {Variable("WINE"), Variable("WEBACCESS_WINDOWS_BATCH")};
    return {WEBACCESS_BATCH_PATH};
  }

  std::map<std::string, std::string> ClientEnvironment() const {
    std::map<std::string, std::string> environment = Environment();
    if (GetParam().tls) environment["WEBACCESS_CA_FILE"] = certificates_->Authority();
    if (proxy_) {
      // Named otherwise than the server: Wine's WinHTTP takes a proxy of the
      // server's own host name for no proxy at all.
      environment["http_proxy"] =
          std::regex_replace(proxy_->Url(), std::regex("127\\.0\\.0\\.1"), "localhost");
    }
    return environment;
  }

  // With the row's faults, or a healthy one.
  void StartServer(bool faults) {
    std::vector<std::string> args = faults ? GetParam().simArgs : std::vector<std::string>{};
    if (GetParam().tls) {
      args.insert(args.end(),
                  {"--tls", certificates_->Certificate(*GetParam().tls), certificates_->Key()});
    }
    StartSim(args);
  }

  std::vector<std::string> Arguments() const {
    std::vector<std::string> args{"--time-limit", GetParam().timeLimit, "--yes", kCredentials};
    if (GetParam().typed) args.erase(args.begin() + 2);
    return args;
  }

  // The client on a pseudo-terminal of its own, which Wine makes its
  // console; each answer is typed once its question is asked. What it shows
  // there (echo and, under Wine, the console's escapes) is not compared.
  int RunOnConsole(const std::vector<std::string>& argv) {
    int console = -1;
    const std::map<std::string, std::string> environment = ClientEnvironment();
    const pid_t pid = ::forkpty(&console, nullptr, nullptr, nullptr);
    if (pid == 0) {
      for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
      std::vector<char*> args;
      for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
      args.push_back(nullptr);
      if (::chdir(dir_.c_str()) == 0) ::execv(args[0], args.data());
      ::_exit(127);
    }
    static const std::regex escapes(R"(\x1b(\[[0-9;?]*[A-Za-z]|\][^\x07]*\x07))");
    const std::vector<std::string>& keys = *GetParam().typed;
    std::string shown;
    std::size_t typed = 0;
    int status = -1;
    const bool ended = programs::PollUntil(
        [&] {
          char buffer[4096];
          pollfd ready{console, POLLIN, 0};
          ssize_t got = 0;
          while (::poll(&ready, 1, 0) == 1 && (got = ::read(console, buffer, sizeof buffer)) > 0) {
            shown.append(buffer, static_cast<std::size_t>(got));
          }
          const std::string text = std::regex_replace(shown, escapes, "");
          std::size_t asked = 0;
          for (std::size_t at = text.find("No?"); at != std::string::npos;
               at = text.find("No?", at + 1)) {
            ++asked;
          }
          if (typed < keys.size() && asked > typed) {
            EXPECT_EQ(::write(console, keys[typed].data(), keys[typed].size()),
                      static_cast<ssize_t>(keys[typed].size()));
            ++typed;
          }
          int waitStatus = 0;
          if (::waitpid(pid, &waitStatus, WNOHANG) != pid) return false;
          status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
          return true;
        },
        60s);
    if (!ended) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
    ::close(console);
    return status;
  }

  // One run to its end, or killed at the row's moment.
  int Run(bool windows, Outcome& outcome) {
    std::vector<std::string> argv = Program(windows);
    const std::vector<std::string> args = Arguments();
    if (GetParam().typed) {
      argv.insert(argv.end(), args.begin(), args.end());
      return RunOnConsole(argv);
    }
    if (GetParam().interruptAt != nullptr) return RunInterrupted(argv, args, outcome);
    if (GetParam().killAt == nullptr || !outcome.statuses.empty()) {
      const std::string program = argv[0];
      argv.erase(argv.begin());
      argv.insert(argv.end(), args.begin(), args.end());
      const programs::BatchResult result =
          programs::RunBatch(program, dir_, argv, ClientEnvironment(), 60);
      outcome.out += Masked(result.out);
      outcome.err += Masked(result.err);
      return result.status;
    }
    argv.insert(argv.end(), args.begin(), args.end());
    programs::Child client(
        dir_, argv, {.name = "client", .environment = ClientEnvironment(), .fileSizeLimit = {}});
    // Once the client has sent its first request, its arguments are read.
    EXPECT_TRUE(ServerLogged("V7Begin", 30s));
    outcome.shownCredentials = ShownCredentials(windows, client.Pid());
    EXPECT_TRUE(ServerLogged(GetParam().killAt, 30s));
    client.Kill();
    return -1;
  }

  // A run that is sent SIGINT at the row's moment and then ends by itself.
  // Under Wine the signal reaches the Windows program as Ctrl+C.
  int RunInterrupted(std::vector<std::string> argv, const std::vector<std::string>& args,
                     Outcome& outcome) {
    argv.insert(argv.end(), args.begin(), args.end());
    programs::Child client(
        dir_, argv, {.name = "client", .environment = ClientEnvironment(), .fileSizeLimit = {}});
    EXPECT_TRUE(ServerLogged(GetParam().interruptAt, 30s));
    ::kill(client.Pid(), SIGINT);
    EXPECT_TRUE(client.Wait(60s)) << "the client did not end after SIGINT";
    outcome.out += Masked(client.Out());
    outcome.err += Masked(client.Err());
    return client.Status() >= 0 ? client.Status() : 128 + client.TermSignal();
  }

  // The credentials word of the running client as a second process reads
  // it: /proc/PID/cmdline on Linux; on Windows the command line in the
  // client's process parameter block, read by a Windows program.
  std::string ShownCredentials(bool windows, pid_t pid) {
    std::string line;
    if (windows) {
      const programs::BatchResult read = programs::RunBatch(
          Variable("WINE"), dir_,
          {Variable("WEBACCESS_COMMAND_LINE_READER"), "webaccess-batch.exe"}, {}, 30);
      line = read.out.substr(0, read.out.find_first_of("\r\n"));
      std::cout << "[ Windows  ] the client's command line read by another process: " << line
                << "\n";
      std::string linuxSide = testing::ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
      std::replace(linuxSide.begin(), linuxSide.end(), '\0', ' ');
      std::cout << "[ Wine     ] /proc/" << pid
                << "/cmdline of the client's Linux process: " << linuxSide << "\n";
    } else {
      line = testing::ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
    }
    std::smatch word;
    return std::regex_search(line, word, std::regex("1234567[^\\s,\\x00]*,ABC123,[^\\s\\x00]*"))
               ? word.str()
               : "(not found in: " + line + ")";
  }

  Outcome RunRow(bool windows) {
    dir_ = base_ / (windows ? "windows" : "linux");
    fs::create_directories(dir_);
    Outcome outcome;
    const Row& row = GetParam();
    programs::WriteInquiry(
        dir_, row.records == 0 ? programs::TwentyFiveRecordOrder() : [&] {
          std::vector<std::string> lines;
          for (int n = 1; n <= row.records; ++n)
            lines.push_back(testing::InquiryRecord(n, 60, testing::RecordTail::Escaped));
          return lines;
        }());
    if (row.tls) certificates_.emplace((base_ / "certificates").string());
    if (row.proxy) proxy_ = std::make_unique<programs::ProxyProcess>(dir_);
    StartServer(true);
    outcome.statuses.push_back(Run(windows, outcome));
    std::vector<std::string> requests = Requests();
    if (row.then == Then::AgainNewServer) {
      // A server that ends after its Nth answer may log one request more on
      // its way out, depending on timing: its log counts up to the Nth.
      const auto exitAfter = std::find(row.simArgs.begin(), row.simArgs.end(), "--exit-after");
      const std::size_t before = requests.size();
      if (exitAfter != row.simArgs.end()) {
        requests.resize(std::min<std::size_t>(before, std::stoul(*(exitAfter + 1))));
      }
      StartServer(false);
      outcome.statuses.push_back(Run(windows, outcome));
      const std::vector<std::string> all = Requests();
      requests.insert(requests.end(), all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    } else if (row.then == Then::AgainSameServer) {
      outcome.statuses.push_back(Run(windows, outcome));
      requests = Requests();
    }
    for (const std::string& request : requests) {
      if (!BatchDoneReply(request)) outcome.requests.push_back(Masked(request));
    }
    for (const char* name :
         {"INQUIRY.QDK", "RESPONSE.QDK", "RESPONSE.BAK", "DOWN.TXT", "MESSAGE.QDK"}) {
      if (Exists(name)) outcome.files[name] = File(name);
    }
    // Their time stamps masked.
    for (const char* name : {"AUDIT.QDK", "TRACE.QDK"}) {
      if (Exists(name)) outcome.files[name] = Masked(File(name));
    }
    if (proxy_) {
      for (const std::string& request : proxy_->Requests()) {
        if (!BatchDoneReply(request)) outcome.proxied.push_back(Masked(request));
      }
    }
    sim_.reset();
    proxy_.reset();
    return outcome;
  }

  fs::path base_;
  std::optional<testing::TestCertificates> certificates_;
  std::unique_ptr<programs::ProxyProcess> proxy_;
};

TEST_P(WineRun, TheWindowsProgramDoesWhatTheLinuxOneDoes) {
  const Row& row = GetParam();
  const Outcome linux = RunRow(false);
  const Outcome windows = RunRow(true);

  // The row's own expectations, on Linux: the comparison stands on them.
  std::vector<int> expected = row.statuses;
  if (row.killAt != nullptr) expected.insert(expected.begin(), -1);
  ASSERT_EQ(linux.statuses, expected) << linux.out << linux.err;
  // Nothing is sent after a refused certificate, nor when the console's
  // first question ends the run.
  const bool serverSeesNothing =
      row.statuses.front() == 7 || (row.typed && row.statuses.front() != 0);
  EXPECT_EQ(linux.requests.empty(), serverSeesNothing);
  EXPECT_EQ(linux.proxied.empty(), !row.proxy);
  if (row.proxy) {
    EXPECT_EQ(linux.proxied, linux.requests);
  }

  EXPECT_EQ(windows.statuses, linux.statuses) << windows.out << windows.err;
  EXPECT_EQ(windows.requests, linux.requests);
  EXPECT_EQ(windows.proxied, linux.proxied);
  for (const auto& [name, bytes] : linux.files) {
    EXPECT_EQ(windows.files.count(name), 1u) << name;
    EXPECT_EQ(windows.files.count(name) ? windows.files.at(name) : "", bytes) << name;
  }
  EXPECT_EQ(windows.files.size(), linux.files.size());
  EXPECT_EQ(windows.out, linux.out);
  EXPECT_EQ(windows.err, linux.err);
  EXPECT_EQ(windows.shownCredentials, linux.shownCredentials);
  for (const Outcome* outcome : {&linux, &windows}) {
    for (const std::string& text : {outcome->out, outcome->err, outcome->shownCredentials}) {
      EXPECT_EQ(text.find("PW9Z"), std::string::npos) << text;
      EXPECT_EQ(text.find("S3CR3T"), std::string::npos) << text;
    }
  }
}

const Row kRows[] = {
    // The whole order: three batches, every page and the download with the
    // session cookie the logon set.
    {.name = "WholeOrderOfTwentyFive",
     .simArgs = {"--require-cookie"},
     .statuses = {0},
     .records = 0},
    // Nothing is lost: a failed download is fetched again at the next poll;
    // a run that stops leaves the order and the server's responses for the
    // next run.
    {.name = "DroppedDownload", .simArgs = {"--drop-at", "File:1"}, .statuses = {0}},
    {.name = "DownloadCutShort", .simArgs = {"--short-body-at", "File:1"}, .statuses = {0}},
    {.name = "ErrorAtTheCount",
     .simArgs = {"--status500-at", "V7Count:1"},
     .statuses = {6, 0},
     .then = Then::AgainSameServer},
    {.name = "ServerGoneAfterTheDelete",
     .simArgs = {"--exit-after", "35"},
     .statuses = {6, 0},
     .then = Then::AgainNewServer,
     .records = 12},
    {.name = "KilledDuringTheDownloadAndStartedAgain",
     .simArgs = {"--delay-ms", "100"},
     .statuses = {0},
     .then = Then::AgainSameServer,
     .killAt = "_ffffs/"},
    // Ctrl+C during a download: the pick-up finishes (the responses stored,
    // the delete request answered), then the program ends with 130.
    {.name = "InterruptedDuringAHeldDownload",
     .simArgs = {"--hold-file-ms", "1500"},
     .statuses = {130},
     .interruptAt = "_ffffs/"},
    // TLS: refused before any request when the certificate cannot be
    // trusted; a whole order when the CA file vouches for it.
    {.name = "SelfSignedRefused", .statuses = {7}, .tls = ServerCertificate::SelfSigned},
    {.name = "ExpiredRefused", .statuses = {7}, .tls = ServerCertificate::Expired},
    {.name = "OtherHostRefused", .statuses = {7}, .tls = ServerCertificate::OtherHost},
    {.name = "TrustedThroughTheCaFile", .statuses = {0}, .tls = ServerCertificate::Trusted},
    {.name = "ThroughTheProxy", .statuses = {0}, .proxy = true},
    // The questions asked on the console: answered there, Ctrl+C typed
    // there, or not answered before the time limit.
    {.name = "AnsweredOnTheConsole", .statuses = {0}, .typed = std::vector<std::string>{"y\r"}},
    {.name = "CtrlCAtTheConsolesQuestion",
     .statuses = {130},
     .typed = std::vector<std::string>{"\x03"}},
    {.name = "UnansweredOnTheConsoleUntilTheTimeLimit",
     .statuses = {3},
     .typed = std::vector<std::string>{},
     .timeLimit = "2"},
};

INSTANTIATE_TEST_SUITE_P(Rows, WineRun, ::testing::ValuesIn(kRows),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace webaccess::wine
