// One client per working folder. While a run goes on, a second
// webaccess-batch started in the same folder leaves at once with status 8
// and changes no file there; the first completes its order as it would have
// alone. (A client killed with SIGKILL leaves no stale lock: the crash rows
// run the next client in the folder right after the kill.)
#include <signal.h>

#include "Reliability.h"
#include "support/ScratchFiles.h"

namespace webaccess::reliability {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kRecords = 25;

// Every file of the folder with its content and time of last change,
// leaving out the second client's own output.
std::map<std::string, std::pair<std::string, fs::file_time_type>> Snapshot(const fs::path& dir) {
  std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
  for (const std::string& name : programs::EntriesUnder(dir)) {
    if (name.starts_with("second.")) continue;
    files[name] = {testing::ReadFile(dir / name), fs::last_write_time(dir / name)};
  }
  return files;
}

class OneClientPerFolder : public ReliabilityTest {};

TEST_F(OneClientPerFolder, ASecondBatchClientLeavesAtOnceAndTheFirstCompletesAsAlone) {
  WriteInquiry(kRecords);
  ASSERT_NO_FATAL_FAILURE(StartSim({"--delay-ms", "10"}));
  const std::unique_ptr<Child> first = Start({}, {}, "60");
  ASSERT_TRUE(first->Started());
  // Held in the middle of its records, so that nothing changes meanwhile.
  ASSERT_TRUE(ServerLogged("ACTION=REQ", 20s));
  ASSERT_EQ(::kill(first->Pid(), SIGSTOP), 0);
  const auto before = Snapshot(dir_);

  Child second(dir_, {WEBACCESS_BATCH_PATH, "--time-limit", "10", "--yes", kCredentials},
               {.name = "second", .environment = Environment(), .fileSizeLimit = std::nullopt});
  const bool secondEnded = second.Wait(10s);
  const auto after = Snapshot(dir_);
  ::kill(first->Pid(), SIGCONT);
  ASSERT_TRUE(secondEnded);
  EXPECT_EQ(second.Status(), 8) << second.Out() << second.Err();
  EXPECT_NE(second.Err().find("already running in this folder"), std::string::npos) << second.Err();
  EXPECT_EQ(second.Out(), "");
  EXPECT_TRUE(before == after) << "the second client changed the folder";

  ASSERT_TRUE(first->Wait(60s));
  ASSERT_EQ(first->Status(), 0) << first->Out() << first->Err();
  // What a run alone leaves: every record sent once, every response once
  // and in order, nothing backed up, the order deleted.
  const std::vector<Logged> log = Classify(Requests());
  EXPECT_EQ(Count(log, "ACTION=REQ"), static_cast<std::size_t>(kRecords));
  const RunOutput output = Collect();
  ExpectWholeOutput(output);
  ASSERT_EQ(output.parsed.responses.size(), static_cast<std::size_t>(kRecords));
  for (int n = 1; n <= kRecords; ++n) {
    EXPECT_EQ(output.parsed.responses[n - 1].number, n);
    EXPECT_EQ(output.parsed.responses[n - 1].record, Records()[n - 1]);
  }
  EXPECT_EQ(File("RESPONSE.BAK"), "");
  EXPECT_EQ(File("MESSAGE.QDK"), "");
  EXPECT_FALSE(Exists("INQUIRY.QDK"));
  EXPECT_NE(File("TRACE.QDK").find(" Transactions complete\r\n"), std::string::npos);
}

}  // namespace
}  // namespace webaccess::reliability
