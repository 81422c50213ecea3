// The conversion of DOWN.TXT into the response, audit and message files.
#include "files/ConvertDownload.h"

#include <gtest/gtest.h>

#include "support/FakePlatform.h"
#include "support/Harness.h"

namespace webaccess::files {
namespace {

using testing::ReadFile;
using testing::WriteFile;

class Conversion : public ::testing::Test {
 protected:
  Conversion() {
    clock.msPerReading = 1;  // every reading takes a millisecond
    files.ResetWorkFiles();
  }

  // Converts `download` as DOWN.TXT; returns whether the completed marker came.
  bool Convert(const std::string& download) {
    WriteFile("DOWN.TXT", download);
    return ConvertDownload(files, clock, "ABC12 ", [this] { ++passes; });
  }

  testing::ScratchDirectory directory;
  testing::VirtualClock clock;
  WorkFiles files{clock};
  int passes = 0;
};

const std::string kHeader = "HEADER ONE\r\nHEADER TWO\r\n";
// A header of 47 characters: positions 1-19, 21-35 and 46-47 are taken.
const std::string kRecordHeader = "1234567890123456789X123456789012345ABCDEFGHIJKL";

TEST_F(Conversion, OnlyTheTwoHeaderLinesAddNothing) {
  EXPECT_FALSE(Convert(kHeader));
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), "");
  EXPECT_EQ(ReadFile("AUDIT.QDK"), "");
  EXPECT_FALSE(Convert("ONLY ONE LINE"));
  EXPECT_FALSE(Convert(""));
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), "");
}

TEST_F(Conversion, OneRecordGivesItsBodyLinesAndOneAuditLine) {
  Convert(kHeader + "<NEW>" + kRecordHeader + "\r\nLINE 1\r\nLINE 2\r\nLINE 3\r\n");
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), "LINE 1\r\nLINE 2\r\nLINE 3\r\n");
  EXPECT_EQ(ReadFile("AUDIT.QDK"),
            "12/07/26"
            "14:30:15"
            "ABC12 "
            "KL"
            "123456789012345"
            "1234567890123456789"
            "00\r\n");
}

TEST_F(Conversion, ErrorCodesBelongToTheirRecordAndTheLastOneWins) {
  Convert(kHeader +
          "<NEW>A\r\n<ERR>17\r\nBODY A\r\n<NEW>B\r\nBODY B\r\n<NEW>C\r\n<ERR>01\r\n<ERR>99\r\n");
  EXPECT_EQ(ReadFile("AUDIT.QDK"),
            "12/07/2614:30:15ABC12 A17\r\n12/07/2614:30:15ABC12 B00\r\n"
            "12/07/2614:30:15ABC12 C99\r\n");
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), "BODY A\r\nBODY B\r\n");
}

TEST_F(Conversion, PiecesSplitAtLfAndEmptyPiecesBecomeEmptyLines) {
  Convert(kHeader + "BEFORE ANY RECORD\r\n<NEW>H\nONE\n\nTWO\r\n\r\nTHREE\r\n");
  // The empty line read from the file adds nothing; the empty piece adds one.
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), "BEFORE ANY RECORD\r\nONE\r\n\r\nTWO\r\nTHREE\r\n");
  EXPECT_EQ(ReadFile("AUDIT.QDK"), "12/07/2614:30:15ABC12 H00\r\n");
}

TEST_F(Conversion, LinesEndInCrAlone) {
  Convert("H1\rH2\rBODY\r<NEW>X\rMORE");
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), "BODY\r\nMORE\r\n");
}

TEST_F(Conversion, MessagesAndTheCompletedMarkerAreNotResponseLines) {
  EXPECT_TRUE(Convert(kHeader + "<MESG>SERVER DOWN TONIGHT\r\nBODY\r\n<COMPLETED>\r\n"));
  EXPECT_EQ(ReadFile("MESSAGE.QDK"), "SERVER DOWN TONIGHT\r\n");
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), "BODY\r\n");
  EXPECT_EQ(ReadFile("AUDIT.QDK"), "");
}

TEST_F(Conversion, ATagAnywhereInAPieceCountsAndFieldsComeByPosition) {
  Convert(kHeader + "xx<ERR>\r\n<NEW>Z\r\nab<MESG>cdefgh\r\nq<COMPLETED>\r\n<ERR>5\r\n");
  EXPECT_EQ(ReadFile("MESSAGE.QDK"), "G>cdefgh\r\n");
  EXPECT_EQ(ReadFile("AUDIT.QDK"), "12/07/2614:30:15ABC12 Z5\r\n");
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), "");
}

TEST_F(Conversion, AFileWithoutCrHasLfLineEnds) {
  Convert("HEADER ONE\nHEADER TWO\n<NEW>H\nONE\n\nTWO\n<COMPLETED>\n");
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), "ONE\r\n\r\nTWO\r\n");
  EXPECT_EQ(ReadFile("AUDIT.QDK"), "12/07/2614:30:15ABC12 H00\r\n");
}

TEST_F(Conversion, TheAuditTimeIsWhenTheHeaderWasRead) {
  std::string download = kHeader + "<NEW>FIRST\r\n";
  for (int i = 0; i < 50; ++i) download += std::string(40 * 1024, 'B') + "\r\n";
  download += "<NEW>SECOND\r\n";
  clock.msPerReading = 40;
  Convert(download);
  // Fifty clock readings of 40 ms, two seconds, lie between the two headers.
  const std::string audit = ReadFile("AUDIT.QDK");
  EXPECT_EQ(audit.substr(0, 16), "12/07/2614:30:15");
  EXPECT_EQ(audit.substr(audit.find("\r\n") + 2, 16), "12/07/2614:30:17");
}

TEST_F(Conversion, EventsPassAtMostOncePerLineAndTimeSliced) {
  std::string download = kHeader;
  // Lines long enough that the clock is read at each of them, a millisecond
  // a reading: events pass every ten lines, not at every one.
  for (int i = 0; i < 100; ++i) download += std::string(40 * 1024, 'B') + "\r\n";
  Convert(download);
  EXPECT_GE(passes, 9);
  EXPECT_LE(passes, 12);
}

TEST_F(Conversion, DownloadsAddUpInTheResponseFile) {
  Convert(kHeader + "FIRST\r\n");
  Convert(kHeader + "SECOND\r\n");
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), "FIRST\r\nSECOND\r\n");
  EXPECT_EQ(ReadFile("DOWN.TXT"), kHeader + "SECOND\r\n");
}

TEST_F(Conversion, NulAndHighBytesPassThroughUnchanged) {
  const std::string body("A\0B\xE9\xFF", 5);
  Convert(kHeader + body + "\r\n");
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), body + "\r\n");
}

}  // namespace
}  // namespace webaccess::files
