// The trace, message and audit files, the response backup and the channels.
#include "files/WorkFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/WorkFileError.h"
#include "support/FakePlatform.h"
#include "support/Harness.h"

namespace webaccess::files {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::WriteFile;

class WorkFilesTest : public ::testing::Test {
 protected:
  testing::ScratchDirectory directory;
  testing::VirtualClock clock;
  WorkFiles files{clock};
};

TEST_F(WorkFilesTest, TraceStartsAfreshWithStampedLines) {
  WriteFile("TRACE.QDK", "OLD LINE\r\n");
  clock.start = {2026, 12, 7, 7, 5, 9};
  files.StartTrace();
  files.WriteTrace("Starting program with version 1.15");
  files.WriteTrace("");
  files.WriteTrace("Same second");
  EXPECT_EQ(ReadFile("TRACE.QDK"),
            "12/07/2026 07:05:09 Starting program with version 1.15\r\n"
            "12/07/2026 07:05:09 \r\n"
            "12/07/2026 07:05:09 Same second\r\n");
}

TEST_F(WorkFilesTest, TraceUsesTheLocaleSeparators) {
  clock.dateSeparator = '.';
  clock.timeSeparator = '-';
  files.StartTrace();
  files.WriteTrace("x");
  EXPECT_EQ(ReadFile("TRACE.QDK"), "12.07.2026 14-30-15 x\r\n");
}

TEST_F(WorkFilesTest, ResetWithoutAResponseFileLeavesAnEmptyBackup) {
  WriteFile("MESSAGE.QDK", "OLD\r\n");
  WriteFile("AUDIT.QDK", "OLD\r\n");
  files.ResetWorkFiles();
  EXPECT_EQ(ReadFile("MESSAGE.QDK"), "");
  EXPECT_EQ(ReadFile("AUDIT.QDK"), "");
  EXPECT_TRUE(FileExists("RESPONSE.BAK"));
  EXPECT_EQ(ReadFile("RESPONSE.BAK"), "");
  EXPECT_FALSE(FileExists("RESPONSE.QDK"));
}

TEST_F(WorkFilesTest, ResetMovesTheResponsesAsideAndDropsTheOlderBackup) {
  WriteFile("RESPONSE.QDK", "LAST RUN\r\n");
  WriteFile("RESPONSE.BAK", "RUN BEFORE\r\n");
  files.ResetWorkFiles();
  EXPECT_EQ(ReadFile("RESPONSE.BAK"), "LAST RUN\r\n");
  EXPECT_FALSE(FileExists("RESPONSE.QDK"));
  files.WriteMessage("A MESSAGE");
  EXPECT_EQ(ReadFile("MESSAGE.QDK"), "A MESSAGE\r\n");
}

TEST_F(WorkFilesTest, DeleteIfPresentIgnoresAMissingFileButReportsAFailure) {
  WriteFile("GONE.TXT", "x");
  DeleteIfPresent(files.channels(), "GONE.TXT");
  EXPECT_FALSE(FileExists("GONE.TXT"));
  EXPECT_NO_THROW(DeleteIfPresent(files.channels(), "GONE.TXT"));
  std::filesystem::create_directory("BUSY");
  WriteFile("BUSY/FILE", "x");
  EXPECT_THROW(DeleteIfPresent(files.channels(), "BUSY"), WorkFileError);
}

TEST_F(WorkFilesTest, ClosingAChannelThatIsNotOpenIsNoError) {
  Channels& channels = files.channels();
  EXPECT_NO_THROW(channels.Close(kShortLived));
  channels.OpenOutput(kShortLived, "A.TXT", OutputFile::Mode::Create).WriteLine("x");
  EXPECT_TRUE(channels.IsOpen(kShortLived));
  channels.Close(kShortLived);
  EXPECT_FALSE(channels.IsOpen(kShortLived));
  EXPECT_EQ(ReadFile("A.TXT"), "x\r\n");
}

TEST_F(WorkFilesTest, AWriteToAFullDiskIsReported) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  OutputFile full("/dev/full", OutputFile::Mode::Append);
  full.WriteLine("a line that cannot be stored");
  EXPECT_THROW(full.Sync(), WorkFileError);
}

TEST_F(WorkFilesTest, ATraceThatCannotBeCreatedIsReported) {
  std::filesystem::create_directory("TRACE.QDK");
  WriteFile("TRACE.QDK/x", "x");
  EXPECT_THROW(files.StartTrace(), WorkFileError);
}

}  // namespace
}  // namespace webaccess::files
