// The client killed (SIGKILL) at the worst moments: while it stores the
// download, in the middle of converting a large one, between the conversion
// and the delete request, and just after the delete request went out. A
// second run in the same working directory, against the same server, picks
// the waiting responses up again; nothing is lost, though a response may come
// in both runs.
//
// The client is held at the exact moment by the crash point loaded into it
// (CrashPoint.cpp): it stalls there and marks the moment in a file, and the
// test kills it.
#include <signal.h>

#include "Reliability.h"

namespace webaccess::reliability {
namespace {

using namespace std::chrono_literals;

// 3000 responses of an earlier run wait at the first count: a download of
// some 450 KB, whose conversion writes RESPONSE.QDK in several pieces.
constexpr int kWaiting = 3000;
constexpr int kRecords = 3;

struct CrashCase {
  const char* name;
  const char* point;  // where the client stalls and is killed
  const char* when;   // "before" or "after" the call there
  // What the first run's output holds.
  enum class Holds { Nothing, Part, AllWaiting } holds;
  bool serverDeleted;  // the server took the delete request before the kill
};

void PrintTo(const CrashCase& c, std::ostream* out) { *out << c.name; }

class Crash : public ReliabilityTest, public ::testing::WithParamInterface<CrashCase> {};

TEST_P(Crash, ANewRunPicksTheResponsesUpAgain) {
  const CrashCase& c = GetParam();
  WriteInquiry(kRecords);
  ASSERT_NO_FATAL_FAILURE(StartSim({"--waiting", std::to_string(kWaiting)}));
  const auto mark = dir_ / "crash-point.mark";
  const std::unique_ptr<Child> first = Start({{"LD_PRELOAD", WEBACCESS_CRASH_POINT_PATH},
                                              {"CRASHPOINT_AT", c.point},
                                              {"CRASHPOINT_WHEN", c.when},
                                              {"CRASHPOINT_MARK", mark.string()}});
  ASSERT_TRUE(first->Started());
  ASSERT_TRUE(PollUntil([&] { return std::filesystem::exists(mark) || first->Wait(0ms); }, 20s));
  ASSERT_TRUE(std::filesystem::exists(mark))
      << "ended before the crash point, status " << first->Status() << "\n"
      << first->Out() << first->Err();
  first->Kill();
  EXPECT_EQ(first->TermSignal(), SIGKILL);
  ExpectNoSecrets({first->Out(), first->Err()});

  const RunOutput one = Collect();
  ExpectWholeOutput(one, true);
  const std::size_t kept = one.parsed.responses.size();
  switch (c.holds) {
    case CrashCase::Holds::Nothing:
      EXPECT_EQ(kept, 0u);
      break;
    case CrashCase::Holds::Part:
      EXPECT_GT(kept, 0u);
      EXPECT_LT(kept, static_cast<std::size_t>(kWaiting));
      break;
    case CrashCase::Holds::AllWaiting:
      EXPECT_EQ(kept, static_cast<std::size_t>(kWaiting));
      EXPECT_FALSE(one.parsed.torn);
      break;
  }
  if (c.serverDeleted) {
    // The request is on its way; the server logs it as it takes it.
    EXPECT_TRUE(ServerLogged("V7Delete", 5s));
  }
  const std::vector<Logged> log = Classify(Requests());
  EXPECT_EQ(Count(log, "V7Delete"), c.serverDeleted ? 1u : 0u);
  EXPECT_EQ(Count(log, "ACTION=REQ"), 0u);
  EXPECT_TRUE(Exists("INQUIRY.QDK"));

  const BatchResult second = Run();
  ASSERT_EQ(second.status, 0) << second.out << second.err;
  // The responses still on the server were found at the first count.
  EXPECT_EQ(second.out.find("[RECORDS FOUND]") != std::string::npos, !c.serverDeleted);
  EXPECT_EQ(File("RESPONSE.BAK"), one.response);
  const RunOutput two = Collect();
  ExpectWholeOutput(two);
  ExpectDeletesFollowWholeDownloads(Classify(Requests()), {});
  // Every response the server made is in one of the two runs' files; the
  // ones the first run wrote come again unless the server had deleted them.
  std::map<int, int> runs;
  for (const Response& response : one.parsed.responses) ++runs[response.number];
  for (const Response& response : two.parsed.responses) ++runs[response.number];
  ASSERT_EQ(runs.size(), static_cast<std::size_t>(kWaiting + kRecords));
  EXPECT_EQ(runs.rbegin()->first, kWaiting + kRecords);
  std::size_t twice = 0;
  for (const auto& [number, times] : runs) twice += times == 2 ? 1 : 0;
  EXPECT_EQ(twice, c.serverDeleted ? 0 : kept);
  EXPECT_FALSE(Exists("INQUIRY.QDK"));
}

INSTANTIATE_TEST_SUITE_P(
    Moments, Crash,
    ::testing::Values(CrashCase{"WhileStoringTheDownload", "write:DOWN.TMP:2", "before",
                                CrashCase::Holds::Nothing, false},
                      CrashCase{"DuringTheConversion", "write:RESPONSE.QDK:2", "before",
                                CrashCase::Holds::Part, false},
                      CrashCase{"BetweenTheConversionAndTheDelete", "send:GET /Zq3/V7Delete:1",
                                "before", CrashCase::Holds::AllWaiting, false},
                      CrashCase{"AfterTheDeleteWentOut", "send:GET /Zq3/V7Delete:1", "after",
                                CrashCase::Holds::AllWaiting, true}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace webaccess::reliability
