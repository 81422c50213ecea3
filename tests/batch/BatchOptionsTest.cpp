#include "batch/BatchOptions.h"

#include <gtest/gtest.h>

namespace webaccess::batch {
namespace {

std::optional<BatchOptions> Parse(std::vector<std::string> args) {
  std::string error;
  auto options = ParseBatchArguments(args, error);
  EXPECT_EQ(options.has_value(), error.empty()) << error;
  return options;
}

TEST(BatchOptions, JoinsTheWordsBySingleBlanks) {
  const auto options = Parse({"--yes", "1234567ABCD,ABC123,SECRET", "two", "", "x"});
  ASSERT_TRUE(options);
  EXPECT_TRUE(options->allYes);
  EXPECT_EQ(options->commandLine, "1234567ABCD,ABC123,SECRET two  x");
  EXPECT_EQ(options->wordPositions, (std::vector<std::size_t>{1, 2, 3, 4}));
}

TEST(BatchOptions, WordsAfterTheDoubleDashMayLookLikeOptions) {
  const auto options = Parse({"--time-limit", "2.5", "--", "--yes", "w"});
  ASSERT_TRUE(options);
  EXPECT_FALSE(options->allYes);
  EXPECT_EQ(options->commandLine, "--yes w");
  EXPECT_EQ(options->wordPositions, (std::vector<std::size_t>{3, 4}));
  EXPECT_DOUBLE_EQ(*options->timeLimitSeconds, 2.5);
}

TEST(BatchOptions, ReadsTheAnswerListInOrder) {
  const auto options = Parse({"--answers", "Yes,n,NO,y"});
  ASSERT_TRUE(options);
  EXPECT_EQ(*options->answers, (std::vector<bool>{true, false, false, true}));
  EXPECT_EQ(options->commandLine, "");
}

TEST(BatchOptions, AnswersHelpAndVersion) {
  EXPECT_TRUE(Parse({"--help", "--verbose"})->help);
  EXPECT_TRUE(Parse({"--version", "w"})->version);
  EXPECT_FALSE(Parse({"w"})->version);
}

TEST(BatchOptions, RefusesBadUsage) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--yes", "--answers", "yes"},
           {"--answers"},
           {"--answers", "yes,maybe"},
           {"--answers", "yes,"},
           {"--time-limit", "0"},
           {"--time-limit", "-1"},
           {"--time-limit", "ten"},
           {"--time-limit"},
           {"--verbose"},
       }) {
    std::string error;
    EXPECT_FALSE(ParseBatchArguments(args, error)) << args[0];
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace webaccess::batch
