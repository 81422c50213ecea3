// Once a program has read its credentials, its own arguments no longer show
// the passwords: /proc/PID/cmdline, which ps shows to every local user, is
// read while the program runs.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SimProcess.h"
#include "programs/Child.h"

namespace webaccess::reliability {
namespace {

namespace fs = std::filesystem;
using programs::Child;
using programs::PollUntil;
using namespace std::chrono_literals;

struct ProcessListCase {
  const char* name;
  std::vector<std::string> argv;   // the program and its arguments
  std::vector<std::string> shown;  // the arguments as the process list shows them then
};

void PrintTo(const ProcessListCase& c, std::ostream* out) { *out << c.name; }

std::vector<std::string> CommandLineOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  const std::string raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::string> args;
  for (std::size_t start = 0, end; (end = raw.find('\0', start)) != std::string::npos;
       start = end + 1) {
    args.push_back(raw.substr(start, end - start));
  }
  return args;
}

class ProcessList : public ::testing::TestWithParam<ProcessListCase> {};

TEST_P(ProcessList, ShowsNoPasswordWhileTheProgramRuns) {
  const ProcessListCase& c = GetParam();
  QTemporaryDir work;
  ASSERT_TRUE(work.isValid());
  const fs::path dir = work.path().toStdString();
  std::ofstream(dir / "INQUIRY.QDK", std::ios::binary)
      << "1NAME 1             PLT1           CA1980010112345678901234\r\n";
  // The server never has the responses ready: the run goes on polling.
  window_e2e::SimProcess sim(QStringLiteral(WEBACCESS_SIM_PATH), work.path(),
                             {QStringLiteral("--ready-after"), QStringLiteral("100000")});
  ASSERT_FALSE(sim.BaseUrl().isEmpty()) << qPrintable(sim.Errors());
  Child::Options options;
  options.name = c.name;
  options.environment = {{"WEBACCESS_MAIN_URL", sim.BaseUrl().toStdString()},
                         {"QT_QPA_PLATFORM", "offscreen"},
                         {"QTWEBENGINE_DISABLE_SANDBOX", "1"}};
  Child program(dir, c.argv, options);
  ASSERT_TRUE(program.Started());
  // The trace begins once the credentials have been read.
  ASSERT_TRUE(PollUntil([&] { return fs::exists(dir / "TRACE.QDK") || program.Wait(0ms); }, 30s));
  const std::vector<std::string> shown = CommandLineOf(program.Pid());
  EXPECT_FALSE(program.Wait(0ms)) << "it ended by itself\n" << program.Err();
  program.Kill();

  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(std::vector<std::string>(shown.begin() + 1, shown.end()), c.shown);
  for (const std::string& arg : shown) {
    EXPECT_EQ(arg.find("PW9Z"), std::string::npos) << arg;
    EXPECT_EQ(arg.find("S3CR3T"), std::string::npos) << arg;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Programs, ProcessList,
    ::testing::Values(ProcessListCase{"Batch",
                                      {WEBACCESS_BATCH_PATH, "--yes", "1234567PW9Z,ABC123,S3CR3T",
                                       "--time-limit", "30"},
                                      {"--yes", "1234567xxxx,ABC123,xxxxxx", "--time-limit", "30"}},
                      ProcessListCase{"Window",
                                      {WEBACCESS_WINDOW_PATH, "1234567PW9Z,ABC123,S3CR3T"},
                                      {"1234567xxxx,ABC123,xxxxxx"}}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace webaccess::reliability
