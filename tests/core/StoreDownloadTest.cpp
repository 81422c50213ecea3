// The download stored as DOWN.TXT through its scratch file.
#include "files/StoreDownload.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "files/WorkFileError.h"
#include "support/FakePlatform.h"
#include "support/Harness.h"

namespace webaccess::files {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::WriteFile;

struct StoreCase {
  const char* name;
  // DOWN.TXT before and after the download; none when it is missing.
  std::optional<std::string> before = std::nullopt;
  std::string bytes = {};       // what the transfer hands over
  bool ok = true;               // whether the transfer then succeeds
  bool scratchBlocked = false;  // a directory stands where the scratch file goes
  std::optional<std::string> after = std::nullopt;
};

void PrintTo(const StoreCase& c, std::ostream* out) { *out << c.name; }

class StoreDownloadTest : public ::testing::TestWithParam<StoreCase> {};

TEST_P(StoreDownloadTest, OnlyAWholeDownloadReplacesDownTxt) {
  const StoreCase& c = GetParam();
  testing::ScratchDirectory directory;
  if (c.before) WriteFile("DOWN.TXT", *c.before);
  if (c.scratchBlocked) {
    std::filesystem::create_directory("DOWN.TMP");
    WriteFile("DOWN.TMP/x", "x");
  }
  testing::FakeTransfer transfer;
  transfer.source = [&c](const std::string&, std::string& bytes) {
    bytes = c.bytes;
    return ports::TransferResult{c.ok, c.ok ? "" : "connection reset"};
  };
  Channels channels;
  if (c.scratchBlocked) {
    EXPECT_THROW(StoreDownload(channels, transfer, "http://x/F.TXT"), WorkFileError);
  } else {
    const ports::TransferResult result = StoreDownload(channels, transfer, "http://x/F.TXT");
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_FALSE(FileExists("DOWN.TMP"));
  }
  EXPECT_EQ(FileExists("DOWN.TXT"), c.after.has_value());
  if (c.after) {
    EXPECT_EQ(ReadFile("DOWN.TXT"), *c.after);
  }
  EXPECT_FALSE(channels.IsOpen(kShortLived));
}

const std::string kOld = "OLD HEADER\r\nOLD HEADER\r\nOLD BODY LINE\r\n";
const std::string kNew = std::string("NEW\r\nBYTES\n\0\xff", 13);

INSTANTIATE_TEST_SUITE_P(
    Downloads, StoreDownloadTest,
    ::testing::Values(
        StoreCase{.name = "AWholeDownloadReplacesThePrevious",
                  .before = kOld,
                  .bytes = kNew,
                  .after = kNew},
        StoreCase{.name = "TheFirstDownloadCreatesIt", .bytes = kNew, .after = kNew},
        StoreCase{
            .name = "AnEmptyDownloadLeavesNoOldByte", .before = kOld, .bytes = "", .after = ""},
        StoreCase{.name = "ACutShortDownloadLeavesThePreviousAsItWas",
                  .before = kOld,
                  .bytes = "NEW\r\nBY",
                  .ok = false,
                  .after = kOld},
        StoreCase{.name = "AFailedFirstDownloadLeavesNone", .bytes = "NE", .ok = false},
        StoreCase{.name = "AScratchFileThatCannotBeMadeIsReported",
                  .before = kOld,
                  .bytes = kNew,
                  .scratchBlocked = true,
                  .after = kOld}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace webaccess::files
