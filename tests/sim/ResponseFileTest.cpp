#include "ResponseFile.h"

#include <gtest/gtest.h>

#include "Query.h"

namespace webaccess::sim {
namespace {

// Positions 1-58 of a record, each group telling where it stands.
const std::string kRecord =
    "A"
    "BBBBBBBBBBBBBBBBBBB"
    "CCCCCCCCCCCCCCC"
    "DD"
    "EEEEEEEEEEEEEEEEEEE"
    "00";

TEST(ResponseHeader, PutsTheRecordWhereTheAuditLineTakesItsParts) {
  const std::string header = ResponseHeader({42, kRecord, {}});
  ASSERT_EQ(header.size(), 47u);
  EXPECT_EQ(header.substr(0, 19), std::string(19, 'B'));  // positions 1-19
  EXPECT_EQ(header[19], ' ');
  EXPECT_EQ(header.substr(20, 15), std::string(15, 'C'));  // positions 21-35
  EXPECT_EQ(header.substr(35, 10), "SEQ0000042");
  EXPECT_EQ(header.substr(45, 2), "DD");  // positions 46-47
}

TEST(ResponseHeader, FillsPositionsAShortRecordLacksWithBlanks) {
  EXPECT_EQ(ResponseHeader({1, "XAB", {}}),
            "AB" + std::string(17, ' ') + " " + std::string(15, ' ') + "SEQ0000001  ");
}

TEST(BuildResponseFile, LaysOutHeaderMessagesResponsesAndTheMarker) {
  ResponseFileContent content;
  content.companyNumber = "1234567";
  content.userId = "ABC123";
  content.messages = {"NOTE ONE"};
  content.responses = {{1, "R1", {}}, {2, "R2", "17"}};
  content.completed = true;
  EXPECT_EQ(BuildResponseFile(content),
            "WEBACCESS SIMULATED RESPONSES\r\n"
            "COMPANY 1234567 USER ABC123 RESPONSES 2\r\n"
            "<MESG>NOTE ONE\r\n"
            "<NEW>" +
                ResponseHeader({1, "R1", {}}) +
                "\r\n"
                "RESPONSE 1\r\nR1\r\nEND OF RESPONSE 1\r\n"
                "<NEW>" +
                ResponseHeader({2, "R2", "17"}) +
                "\n<ERR>17\nRESPONSE 2\nR2\nEND OF RESPONSE 2\r\n"
                "<COMPLETED>\r\n");
}

TEST(BuildResponseFile, WithNothingPreparedHoldsTheTwoHeaderLinesOnly) {
  ResponseFileContent content;
  content.companyNumber = "1";
  content.userId = "U";
  EXPECT_EQ(BuildResponseFile(content),
            "WEBACCESS SIMULATED RESPONSES\r\nCOMPANY 1 USER U RESPONSES 0\r\n");
}

TEST(Query, DecodesEscapesAndSplitsAtTheFirstEquals) {
  const Target target =
      ParseTarget("/Zq3/V7Main.asp?ACTION=REQ&TheRecord=120000!A%26B%20C=D%25%0A+%zz%4");
  EXPECT_EQ(target.path, "/Zq3/V7Main.asp");
  EXPECT_EQ(Param(target, "action"), "REQ");
  EXPECT_EQ(Param(target, "THERECORD"), "120000!A&B C=D%\n+%zz%4");
  EXPECT_EQ(Param(target, "Missing"), std::nullopt);
}

TEST(Query, KeepsEmptyValuesAndDecodesThePath) {
  const Target target = ParseTarget("/Zq3/_ffffs/1234567AB1%20%20%20.TXT?ACTION=&&X");
  EXPECT_EQ(target.path, "/Zq3/_ffffs/1234567AB1   .TXT");
  EXPECT_EQ(Param(target, "ACTION"), "");
  EXPECT_EQ(Param(target, "X"), "");
}

}  // namespace
}  // namespace webaccess::sim
