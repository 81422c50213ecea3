// A full work disk: the client runs with a limit on the size of the files it
// writes (RLIMIT_FSIZE, SIGXFSZ ignored), so that a write fails as it would
// on a full disk. The client reports the file, stops with status 70, and
// sends no delete request for what it could not store; a run with room
// again collects everything.
#include "Reliability.h"

namespace webaccess::reliability {
namespace {

using namespace std::chrono_literals;

struct FullDiskCase {
  const char* name;
  const char* file;  // the work file whose write fails
  std::vector<std::string> simArgs;
  int records;
  std::size_t recordLength;
  unsigned long limit;  // bytes per file
  int deletes;          // delete requests before the failure
  int responses;        // what the server makes over both runs
};

void PrintTo(const FullDiskCase& c, std::ostream* out) { *out << c.name; }

class FullDisk : public ReliabilityTest, public ::testing::WithParamInterface<FullDiskCase> {};

TEST_P(FullDisk, StopsWithTheFileNamedAndDeletesNothingUnstored) {
  const FullDiskCase& c = GetParam();
  WriteInquiry(c.records, c.recordLength);
  ASSERT_NO_FATAL_FAILURE(StartSim(c.simArgs));
  Child::Options limited;
  limited.fileSizeLimit = c.limit;
  const std::unique_ptr<Child> first = Start({}, limited);
  ASSERT_TRUE(first->Wait(20s));
  EXPECT_EQ(first->Status(), 70) << first->Out() << first->Err();
  const std::string err = first->Err();
  EXPECT_NE(err.find("Cannot write work file \"" + std::string(c.file) + "\""), std::string::npos)
      << err;
  ExpectNoSecrets({first->Out(), err});

  const std::vector<Logged> log = Classify(Requests());
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(Count(log, "V7Delete"), static_cast<std::size_t>(c.deletes));
  EXPECT_EQ(log.back().page, "File") << "the failed download was the last request";
  EXPECT_TRUE(Exists("INQUIRY.QDK"));
  const RunOutput one = Collect();
  ExpectWholeOutput(one, true);

  const BatchResult second = Run();
  ASSERT_EQ(second.status, 0) << second.out << second.err;
  EXPECT_EQ(File("RESPONSE.BAK"), one.response);
  const RunOutput two = Collect();
  ExpectWholeOutput(two);
  ExpectDeletesFollowWholeDownloads(Classify(Requests()), {});
  std::set<int> numbers;
  for (const RunOutput* output : {&one, &two}) {
    for (const Response& response : output->parsed.responses) numbers.insert(response.number);
  }
  EXPECT_EQ(numbers.size(), static_cast<std::size_t>(c.responses));
  EXPECT_EQ(*numbers.rbegin(), c.responses);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FullDisk,
    ::testing::Values(
        // 3000 waiting responses make a download of some 450 KB.
        FullDiskCase{"Download", "DOWN.TMP", {"--waiting", "3000"}, 3, 60, 100 * 1024, 0, 3003},
        // Two batches of 10 records of 1000 characters: each download is some
        // 11 KB, but the response file reaches 16 KB with the second.
        FullDiskCase{"ResponseFile", "RESPONSE.QDK", {}, 20, 1000, 16 * 1024, 1, 40}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace webaccess::reliability
