// Reading the inquiry file: counting, sending and listing.
#include "files/InquiryFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/WorkFileError.h"
#include "support/Harness.h"

namespace webaccess::files {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::WriteFile;

std::vector<std::string> Sent(const std::string& content) {
  WriteFile("INQUIRY.QDK", content);
  LineReader reader("INQUIRY.QDK", LineReader::LineEnds::Any);
  std::vector<std::string> records;
  std::string record;
  while (ReadNextRecord(reader, record)) records.push_back(record);
  return records;
}

class InquiryFileTest : public ::testing::Test {
 protected:
  testing::ScratchDirectory directory;
  Channels channels;
};

TEST_F(InquiryFileTest, CountingTakesLinesOf51CharactersOrMore) {
  WriteFile("INQUIRY.QDK", std::string(51, 'a') + "\r\n" + std::string(50, 'b') + "\r\n\r\n" +
                               std::string(80, 'c') + "\r\n");
  EXPECT_EQ(CountInquiries(channels), 2);
  EXPECT_FALSE(channels.IsOpen(kShortLived));
}

TEST_F(InquiryFileTest, AMissingFileIsCreatedEmptyAndCountsNothing) {
  EXPECT_EQ(CountInquiries(channels), 0);
  EXPECT_TRUE(FileExists("INQUIRY.QDK"));
  EXPECT_EQ(ReadFile("INQUIRY.QDK"), "");
}

TEST_F(InquiryFileTest, AFileThatIsThereButCannotBeReadIsAWorkFileFailure) {
  std::filesystem::create_directory("INQUIRY.QDK");
  EXPECT_THROW(CountInquiries(channels), WorkFileError);
  EXPECT_TRUE(std::filesystem::is_directory("INQUIRY.QDK"));
}

TEST_F(InquiryFileTest, TheCountStopsAtTheLargest16BitNumber) {
  std::string lines;
  const std::string line = std::string(51, 'x') + "\r\n";
  for (int i = 0; i < 32769; ++i) lines += line;
  WriteFile("INQUIRY.QDK", lines);
  EXPECT_EQ(CountInquiries(channels), 32767);
}

TEST_F(InquiryFileTest, SendingSkipsShortLinesAndPads56To58) {
  const std::string l55(55, 'a'), l56(56, 'b'), l57(57, 'c');
  EXPECT_EQ(Sent(l55 + "\r\n" + l56 + "\r\n\r\n" + l57 + "\r\n"),
            (std::vector<std::string>{l56 + "00", l57}));
}

TEST_F(InquiryFileTest, LineEndsMayBeCrLfLfOrCrAndTheLastNeedsNone) {
  const std::string a(60, 'a'), b(60, 'b'), c(60, 'c'), d(60, 'd');
  EXPECT_EQ(Sent(a + "\n" + b + "\r" + c + "\r\n" + d), (std::vector<std::string>{a, b, c, d}));
  // A file that ends in CR LF has no extra empty record.
  WriteFile("INQUIRY.QDK", a + "\r\n");
  LineReader reader("INQUIRY.QDK", LineReader::LineEnds::Any);
  std::string line;
  EXPECT_TRUE(reader.ReadLine(line));
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.ReadLine(line));
}

TEST_F(InquiryFileTest, ACrLfSplitAcrossTheReadBufferIsOneLineEnd) {
  // The reader's buffer holds 64 KiB; put the CR at its last byte.
  const std::string first(65535, 'x');
  WriteFile("INQUIRY.QDK", first + "\r\nNEXT\r\n");
  LineReader reader("INQUIRY.QDK", LineReader::LineEnds::Any);
  std::string line;
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line.size(), first.size());
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, "NEXT");
  EXPECT_FALSE(reader.ReadLine(line));
}

TEST(RequestItems, CommasQuotesAndBlanksFollowTheItemRules) {
  auto split = [](std::string_view line) {
    std::vector<std::string> items;
    SplitRequestItems(line, items);
    return items;
  };
  EXPECT_EQ(split("AB,CD"), (std::vector<std::string>{"AB", "CD"}));
  EXPECT_EQ(split(""), (std::vector<std::string>{""}));
  EXPECT_EQ(split("  lead,trail  "), (std::vector<std::string>{"lead", "trail"}));
  EXPECT_EQ(split("\"a,b\",c"), (std::vector<std::string>{"a,b", "c"}));
  EXPECT_EQ(split("a,,b,"), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(split("\"open"), (std::vector<std::string>{"open"}));
}

TEST_F(InquiryFileTest, TheRequestListReadsEveryItemAndLeavesChannel1Open) {
  WriteFile("INQUIRY.QDK", "AB,CD\r\n\r\nEF");
  EXPECT_EQ(ReadRequestItems(channels), (std::vector<std::string>{"AB", "CD", "", "EF"}));
  EXPECT_TRUE(channels.IsOpen(kShortLived));
  WriteFile("INQUIRY.QDK", "");
  EXPECT_TRUE(ReadRequestItems(channels).empty());
}

TEST(RequestRowTest, SlicesTheItemIntoNumberedColumns) {
  const std::string item = "A" + std::string("BCDEFGHIJKLMNOPQRST") + "123456789012345" + "tail";
  EXPECT_EQ(RequestRow(item, 7), "0007  A   BCDEFGHIJKLMNOPQRST   123456789012345");
  EXPECT_EQ(RequestRow(item, 7).size(), 47u);
  EXPECT_EQ(RequestRow("ABCDEFGHIJ", 1), "0001  A   BCDEFGHIJ   ");
  EXPECT_EQ(RequestRow("", 12), "0012        ");
  EXPECT_EQ(RequestRow("X", 10000), "10000  X      ");
}

}  // namespace
}  // namespace webaccess::files
