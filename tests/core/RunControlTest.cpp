// Start-up, the confirmation of the order, Start, Pick Up Only and Exit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "support/Harness.h"

namespace webaccess::testing {
namespace {

using ports::Answer;
using ports::Control;

TEST(StartUp, LoadWritesOneTraceLineAndLaysTheWindowOutCompact) {
  Harness h;
  WriteFile("TRACE.QDK", "OLD\r\nOLDER\r\n");
  h.form->Form_Load();
  EXPECT_EQ(ReadFile("TRACE.QDK"), "12/07/2026 14:30:15 Starting program with version 1.15\r\n");
  EXPECT_EQ(h.Display(), "Press start to begin transfer.");
  EXPECT_EQ(h.view.geometry, (ports::WindowRect{1567, 1500, 12225, 2055}));
}

struct OrderCase {
  const char* name;
  int lines;  // 0: no INQUIRY.QDK
  const char* question;
  const char* ordering;
};

class Confirmation : public ::testing::TestWithParam<OrderCase> {};

// Counting the order makes an empty INQUIRY.QDK where there was none.
TEST_P(Confirmation, AsksAboutTheCountAndNamesItOnYes) {
  Harness h;
  const std::string order =
      GetParam().lines == 0 ? "" : InquiryLines(GetParam().lines, 51) + "SHORT LINE\r\n";
  if (!order.empty()) WriteFile("INQUIRY.QDK", order);
  h.Open();
  ASSERT_EQ(h.dialogs.asked.size(), 1u);
  EXPECT_EQ(h.dialogs.asked[0], (Question{"QUESTION", GetParam().question}));
  EXPECT_EQ(h.view.Text(Control::lblOrdering), GetParam().ordering);
  EXPECT_EQ(h.view.Text(Control::Caption), "Request Records From Vantorel - V1.15");
  EXPECT_TRUE(FileExists("INQUIRY.QDK"));
  EXPECT_EQ(ReadFile("INQUIRY.QDK"), order);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, Confirmation,
    ::testing::Values(OrderCase{"None", 0, "NOTHING FLAGGED TO ORDER\r\nARE YOU JUST PICKING UP?",
                                "Just Picking Up"},
                      OrderCase{"One", 1, "THERE IS 1 RECORD BEING ORDERED, IS THIS CORRRECT?",
                                "Ordering  1 Record"},
                      OrderCase{"Twelve", 12,
                                "THERE ARE 12 RECORDS BEING ORDERED, IS THIS CORRRECT?",
                                "Ordering  12 Records"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// The batch ids of the batch-done requests, in order.
std::vector<std::string> BatchesClosed(const Harness& h) {
  std::vector<std::string> ids;
  for (const std::string& request : h.Requests()) {
    const std::size_t at = request.find("ACTION=DONE&Batch=");
    if (at != std::string::npos) ids.push_back(request.substr(at + 18));
  }
  return ids;
}

TEST(ConfirmationAnswers, NoThenYesPicksUpOnly) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(3));
  h.dialogs.answers = {Answer::No, Answer::Yes};
  h.Open();
  EXPECT_EQ(h.dialogs.asked.at(1), (Question{"QUESTION", "ARE YOU JUST PICKING UP?"}));
  EXPECT_EQ(h.view.Text(Control::lblOrdering), "Just Picking Up");
  h.form->cmdStart_Click();
  h.RunUntilIdle();
  EXPECT_TRUE(h.server.Records().empty());
  EXPECT_EQ(BatchesClosed(h), std::vector<std::string>{"PICKUP"});
}

TEST(ConfirmationAnswers, NoAndNoEndBeforeAnyServerContact) {
  for (const int lines : {0, 5}) {
    Harness h;
    if (lines > 0) WriteFile("INQUIRY.QDK", InquiryLines(lines));
    WriteFile("RESPONSE.QDK", "KEEP\r\n");
    WriteFile("AUDIT.QDK", "KEEP\r\n");
    h.dialogs.answers = {Answer::No, Answer::No};
    h.form->Form_Load();
    EXPECT_THROW(h.form->Form_Activate(), ProgramEnded);
    EXPECT_TRUE(h.browser.requests.empty());
    EXPECT_EQ(ReadFile("TRACE.QDK"), "12/07/2026 14:30:15 Starting program with version 1.15\r\n");
    EXPECT_EQ(ReadFile("RESPONSE.QDK"), "KEEP\r\n");
    EXPECT_EQ(ReadFile("AUDIT.QDK"), "KEEP\r\n");
    EXPECT_FALSE(FileExists("MESSAGE.QDK"));
  }
}

TEST(ConfirmationAnswers, ALineOf51CountsAndOneOf50DoesNot) {
  Harness h;
  WriteFile("INQUIRY.QDK", std::string(51, 'a') + "\r\n" + std::string(50, 'b') + "\r\n");
  h.Open();
  EXPECT_EQ(h.dialogs.asked.at(0).text, "THERE IS 1 RECORD BEING ORDERED, IS THIS CORRRECT?");
}

TEST(Start, ResetsTheWorkFilesDisablesItselfAndLogsOn) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(1));
  WriteFile("RESPONSE.QDK", "LAST RUN\r\n");
  h.server.answer = [](const std::string&) { return std::optional<std::string>(""); };
  h.Open();
  h.form->cmdStart_Click();
  EXPECT_FALSE(h.view.Enabled(Control::cmdStart));
  EXPECT_EQ(h.view.Text(Control::cmdExit), "STOP");
  EXPECT_TRUE(h.browser.visible);
  EXPECT_EQ(ReadFile("RESPONSE.BAK"), "LAST RUN\r\n");
  EXPECT_EQ(ReadFile("MESSAGE.QDK"), "");
  EXPECT_EQ(h.Requests().size(), 1u);
}

TEST(PickUpOnly, ChosenMidRunTurnsTheNextRecordIntoAPickUp) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(5));
  h.server.answer = [&h](const std::string& url) -> std::optional<std::string> {
    if (h.server.Records().size() == 2 && url.find("ACTION=REQ") != std::string::npos) {
      h.form->mnu_Pick_Up_Click();
    }
    return std::nullopt;
  };
  h.RunOrder();
  EXPECT_EQ(h.server.Records().size(), 3u);
  EXPECT_EQ(BatchesClosed(h), std::vector<std::string>{"PICKUP"});
  EXPECT_EQ(h.view.Text(Control::lblOrdering), "Just Picking Up");
  EXPECT_EQ(h.Display(), "Tranfers complete, Press Exit To Continue.");
}

// The server chosen last is where the logon goes.
TEST(Activation, ALaterActivationKeepsTheChosenServer) {
  struct Row {
    void (app::MainForm::*choose)();
    const char* label;
    const char* base;
  };
  for (const Row& row : {Row{&app::MainForm::mnuAlt_Click, "Alternate Server", kAltBase},
                         Row{&app::MainForm::mnuTestServer_Click, "Test Server", kTestBase},
                         Row{&app::MainForm::mnuIP_Click, "I.P. Address", kIpBase},
                         Row{&app::MainForm::mnuMain_Click, "Main Server", kBase}}) {
    Harness h;
    WriteFile("INQUIRY.QDK", InquiryLines(1));
    h.server.answer = [](const std::string&) { return std::optional<std::string>(""); };
    h.Open();
    (*h.form.*row.choose)();
    h.form->Form_Activate();  // the request list closed over the window
    EXPECT_EQ(h.view.Text(Control::lblServer), row.label);
    EXPECT_EQ(h.dialogs.asked.size(), 1u);
    h.form->cmdStart_Click();
    ASSERT_EQ(h.browser.requests.size(), 1u);
    EXPECT_TRUE(h.browser.requests[0].starts_with(std::string(row.base) + "Zq3/V7Begin.asp"))
        << h.browser.requests[0];
  }
}

TEST(Activation, AServerChosenMidRunTakesTheNextRequest) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(12));
  h.server.answer = [&h](const std::string& url) -> std::optional<std::string> {
    if (h.server.Records().size() == 3 && url.find("REQ") != std::string::npos) {
      h.form->mnuAlt_Click();
    }
    return std::nullopt;
  };
  h.RunOrder();
  EXPECT_EQ(h.view.Text(Control::lblServer), "Alternate Server");
  ASSERT_GT(h.browser.requests.size(), 7u);
  EXPECT_TRUE(h.browser.requests[6].starts_with(kBase));
  EXPECT_TRUE(h.browser.requests[7].starts_with(kAltBase));
  EXPECT_TRUE(h.transfer.urls.back().starts_with(kAltBase));
}

// An Exit (answered Yes) or the close box while a pick-up is under way: the
// status says so, and once the pick-up has finished (its delete request
// answered) the program leaves as asked: an Exit deletes the order, the
// close box keeps it.
TEST(Leaving, DuringAPickUpTheProgramLeavesOnceItHasFinished) {
  for (const bool exit : {true, false}) {
    SCOPED_TRACE(exit ? "Exit" : "the close box");
    Harness h;
    WriteFile("INQUIRY.QDK", InquiryLines(1));
    h.transfer.source = [&](const std::string& url, std::string& bytes) {
      // The click waits for the next event pass: the conversion's.
      h.queue.Post([&] { exit ? h.form->cmdExit_Click() : h.CloseBox(); });
      return h.server.Download(url, bytes);
    };
    h.RunOrder();
    EXPECT_TRUE(h.process.unloaded);
    const auto& shown = h.view.displays;
    EXPECT_NE(std::find(shown.begin(), shown.end(), "Leaving once the pick-up has finished."),
              shown.end());
    EXPECT_EQ(h.Requests().back(), "Zq3/V7Delete.asp?ACTION=");
    h.form->CloseWorkFiles();
    EXPECT_EQ(FileExists("INQUIRY.QDK"), !exit);
    EXPECT_EQ(ReadFile("RESPONSE.QDK"), ResponseLines(1, InquiryRecord(1)));
  }
}

class ExitTest : public ::testing::Test {
 protected:
  ExitTest() {
    WriteFile("INQUIRY.QDK", InquiryLines(1));
    h.Open();
  }
  Harness h;
};

TEST_F(ExitTest, NoLeavesEverythingAsItWas) {
  h.form->cmdStart_Click();
  h.dialogs.answers = {Answer::No};
  h.form->cmdExit_Click();
  EXPECT_EQ(h.dialogs.asked.back(), (Question{"Exit Question", "Are you sure you wish to exit?"}));
  EXPECT_FALSE(h.process.unloaded);
  EXPECT_TRUE(FileExists("INQUIRY.QDK"));
}

TEST_F(ExitTest, YesDeletesTheInquiryFileAndUnloads) {
  WriteFile("RESPONSE.QDK", "");
  h.form->cmdExit_Click();
  EXPECT_TRUE(h.process.unloaded);
  EXPECT_EQ(h.browser.quits, 1);
  // The program ends: its files close. (Where a file that is still open goes
  // only when its last handle closes, as on Windows before version 10 and
  // under Wine, the inquiry file goes at that moment.)
  h.form->CloseWorkFiles();
  EXPECT_FALSE(FileExists("INQUIRY.QDK"));
  EXPECT_TRUE(h.dialogs.serverMessages.empty());
  EXPECT_FALSE(FileExists("RESPONSE.QDK"));  // empty: removed at unload
}

TEST_F(ExitTest, TheRunGoesOnWhileTheExitShowsTheServerMessages) {
  h.server.options.messages = {"FIRST", "SECOND"};
  h.form->cmdStart_Click();
  h.RunUntilIdle(0);  // through the batch: the poll timer runs
  ASSERT_TRUE(h.timer.Running());
  std::remove("INQUIRY.QDK");  // a missing inquiry file is no error
  h.browser.requests.clear();
  h.dialogs.whileOpen = [this] {
    if (!h.dialogs.serverMessages.empty() && h.browser.requests.empty()) h.Tick();
  };
  h.form->cmdExit_Click();
  EXPECT_EQ(h.dialogs.serverMessages,
            std::vector<std::string>{"FIRST\r\nSECOND\r\n\r\n\r\nPress exit to continue."});
  ASSERT_FALSE(h.browser.requests.empty());
  EXPECT_EQ(h.Requests()[0], "Zq3/V7Count.asp?ACTION=");  // the tick's poll went out
  EXPECT_TRUE(h.process.unloaded);
}

TEST_F(ExitTest, UnloadKeepsOnlyAResponseFileWithBytes) {
  h.form->Form_Unload();
  EXPECT_FALSE(FileExists("RESPONSE.QDK"));
  WriteFile("RESPONSE.QDK", "R\r\n");
  h.form->Form_Unload();
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), "R\r\n");
  EXPECT_TRUE(FileExists("INQUIRY.QDK"));  // closing the window keeps the order
}

TEST(WorkFileFailure, StopsTheProgramWithAReport) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(1));
  h.Open();
  std::filesystem::create_directory("RESPONSE.BAK");
  WriteFile("RESPONSE.BAK/x", "x");
  try {
    h.form->cmdStart_Click();
    FAIL() << "the start went on";
  } catch (const ProgramFailed& failed) {
    EXPECT_NE(failed.report.find("RESPONSE.BAK"), std::string::npos);
  }
  EXPECT_TRUE(h.browser.requests.empty());
}

}  // namespace
}  // namespace webaccess::testing
