#include "SimOptions.h"

#include <gtest/gtest.h>

namespace webaccess::sim {
namespace {

std::optional<SimOptions> Parse(std::vector<std::string> args, std::string* errorOut = nullptr) {
  std::string error;
  auto options = ParseSimArguments(args, error);
  if (errorOut != nullptr) *errorOut = error;
  return options;
}

TEST(SimOptions, ReadsEverySwitch) {
  const auto options = Parse({"--port",
                              "8080",
                              "--interactive-logon",
                              "--ready-after",
                              "0",
                              "--fail-record",
                              "3",
                              "--fail-record",
                              "5:42",
                              "--message",
                              "A B",
                              "--message",
                              "C",
                              "--file-message",
                              "F",
                              "--error",
                              "REVOKED",
                              "--waiting",
                              "2",
                              "--pickup-rounds",
                              "3",
                              "--require-cookie",
                              "--drop-at",
                              "V7Count:2",
                              "--status500-at",
                              "7",
                              "--short-body-at",
                              "file",
                              "--redirect-loop-at",
                              "V7Message",
                              "--delay-ms",
                              "15",
                              "--exit-after",
                              "9",
                              "--uri-limit",
                              "100",
                              "--log",
                              "x.log",
                              "--lifetime",
                              "2.5",
                              "--tls",
                              "c.pem",
                              "k.pem"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->port, 8080);
  EXPECT_TRUE(options->interactiveLogon);
  EXPECT_EQ(options->readyAfter, 0);
  EXPECT_EQ(options->failRecords, (std::map<int, std::string>{{3, "17"}, {5, "42"}}));
  EXPECT_EQ(options->messages, (std::vector<std::string>{"A B", "C"}));
  EXPECT_EQ(options->fileMessages, std::vector<std::string>{"F"});
  EXPECT_EQ(options->error, "REVOKED");
  EXPECT_EQ(options->waiting, 2);
  EXPECT_EQ(options->pickupRounds, 3);
  EXPECT_TRUE(options->requireCookie);
  ASSERT_EQ(options->faults.size(), 4u);
  EXPECT_EQ(options->faults[0].kind, FaultKind::Drop);
  EXPECT_EQ(options->faults[0].page, Page::Count);
  EXPECT_EQ(options->faults[0].occurrence, 2);
  EXPECT_EQ(options->faults[1].kind, FaultKind::ServerError);
  EXPECT_EQ(options->faults[1].page, std::nullopt);
  EXPECT_EQ(options->faults[1].occurrence, 7);
  EXPECT_EQ(options->faults[2].page, Page::File);
  EXPECT_EQ(options->faults[3].kind, FaultKind::RedirectLoop);
  EXPECT_EQ(options->faults[3].occurrence, 1);
  EXPECT_EQ(options->delayMs, 15);
  EXPECT_EQ(options->exitAfter, 9);
  EXPECT_EQ(options->uriLimit, 100);
  EXPECT_EQ(options->logFile, "x.log");
  EXPECT_DOUBLE_EQ(options->lifetimeSeconds, 2.5);
  EXPECT_EQ(options->tlsCert, "c.pem");
  EXPECT_EQ(options->tlsKey, "k.pem");
}

TEST(SimOptions, RefusesBadArguments) {
  const std::vector<std::vector<std::string>> bad = {
      {"--port"},
      {"--port", "70000"},
      {"--port", "-1"},
      {"--ready-after", "x"},
      {"--fail-record", "3:1"},
      {"--fail-record", "0"},
      {"--drop-at", "V7Nothing"},
      {"--drop-at", "V7Count:0"},
      {"--exit-after", "0"},
      {"--lifetime", "soon"},
      {"--tls", "c.pem"},
      {"--frobnicate"},
      {"--message", "A", "B"},
      {"--drop-at", "1", "2"},
  };
  for (const auto& args : bad) {
    std::string error;
    EXPECT_FALSE(Parse(args, &error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

TEST(SimOptions, AnswersHelpAndVersion) {
  EXPECT_TRUE(Parse({"--help"})->help);
  EXPECT_TRUE(Parse({"-h"})->help);
  EXPECT_TRUE(Parse({"--version"})->version);
  EXPECT_FALSE(Parse({})->version);
}

}  // namespace
}  // namespace webaccess::sim
