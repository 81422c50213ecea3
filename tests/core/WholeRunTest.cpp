// Whole runs of the client against the scripted server: the requests in
// order, the status line and the work files byte for byte.
#include <gtest/gtest.h>

#include "protocol/PageUrl.h"
#include "support/Harness.h"

namespace webaccess::testing {
namespace {

using ports::Answer;
using ports::Control;

const std::string kLogon =
    "Zq3/V7Begin.asp?ACTION=&Company=1234567&CompPass=PASS&User=ABC123&UserPass=PW12  ";
const std::string kMessage = "Zq3/V7Message.asp?ACTION=";
const std::string kCount = "Zq3/V7Count.asp?ACTION=";
const std::string kDelete = "Zq3/V7Delete.asp?ACTION=";
const std::string kPickUp = "Zq3/V7Main.asp?ACTION=DONE&Batch=PICKUP";

std::string Record(const std::string& batch, int n) {
  return "Zq3/V7Main.asp?ACTION=REQ&TheRecord=" + batch + "!" + InquiryRecord(n);
}
std::string Done(const std::string& batch) { return "Zq3/V7Main.asp?ACTION=DONE&Batch=" + batch; }

// Appends the requests for records first..last of one batch and its end.
void Batch(std::vector<std::string>& out, const std::string& id, int first, int last) {
  for (int n = first; n <= last; ++n) out.push_back(Record(id, n));
  out.push_back(Done(id));
}

std::string ResponseLines(int first, int last) {
  std::string lines;
  for (int n = first; n <= last; ++n) {
    for (const std::string& body : ScriptedServer::BodyFor(InquiryRecord(n))) {
      lines += body + "\r\n";
    }
  }
  return lines;
}

std::string AuditLine(const std::string& stamp, const std::string& record,
                      const std::string& code = "00") {
  return stamp + "ABC123" + record.substr(45, 2) + record.substr(20, 15) + record.substr(0, 19) +
         code + "\r\n";
}

TEST(WholeRun, TwentyFiveRecordsGoInThreeBatchesAndTheRunCompletes) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(25));
  h.RunOrder();

  std::vector<std::string> expected = {kLogon, kMessage, kCount};
  Batch(expected, "143015", 1, 10);
  expected.insert(expected.end(), {kCount, kCount, kDelete});  // ticks 1, 2: NONE, OKAY
  Batch(expected, "143035", 11, 20);
  expected.insert(expected.end(), {kMessage, kCount, kCount, kDelete});  // ticks 3, 4
  Batch(expected, "143055", 21, 25);
  expected.insert(expected.end(), {kCount, kMessage, kCount, kDelete, kMessage});  // ticks 5, 6
  EXPECT_EQ(h.Requests(), expected);

  EXPECT_EQ(h.Display(), "Tranfers complete, Press Exit To Continue.");
  EXPECT_EQ(h.view.Text(Control::cmdExit), "Exit");
  EXPECT_EQ(h.server.received.size(), 25u);
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), ResponseLines(1, 25));

  std::string audit;
  for (int n = 1; n <= 10; ++n) audit += AuditLine("12/07/2614:30:35", InquiryRecord(n));
  for (int n = 11; n <= 20; ++n) audit += AuditLine("12/07/2614:30:55", InquiryRecord(n));
  for (int n = 21; n <= 25; ++n) audit += AuditLine("12/07/2614:31:15", InquiryRecord(n));
  EXPECT_EQ(ReadFile("AUDIT.QDK"), audit);
  EXPECT_EQ(ReadFile("MESSAGE.QDK"), "");
  EXPECT_FALSE(h.timer.Running());

  const std::string trace = ReadFile("TRACE.QDK");
  EXPECT_NE(trace.find("Sending Record 25\r\n"), std::string::npos);
  EXPECT_NE(trace.find(" Transactions complete\r\n"), std::string::npos);
  EXPECT_EQ(h.view.Text(Control::Caption), "Requesting Record 25");
}

TEST(WholeRun, BatchLabelsCountTheRecordsOfTheirBatch) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(11));
  h.RunOrder();
  const auto& shown = h.view.displays;
  EXPECT_NE(std::find(shown.begin(), shown.end(), "10 Records requested, please wait"),
            shown.end());
  EXPECT_NE(std::find(shown.begin(), shown.end(), "1 Records requested, please wait"), shown.end());
  EXPECT_EQ(h.server.batchesClosed.size(), 2u);
}

TEST(WholeRun, ExactlyTenRecordsEndTheFileInTheEleventhCall) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(10));
  h.RunOrder();
  std::vector<std::string> expected = {kLogon, kMessage, kCount};
  Batch(expected, "143015", 1, 10);
  expected.insert(expected.end(), {kCount, kCount, kDelete, kMessage});
  EXPECT_EQ(h.Requests(), expected);
  EXPECT_EQ(h.Display(), "Tranfers complete, Press Exit To Continue.");
}

struct FirstCountCase {
  const char* name;
  Answer answer;
  bool downloaded;
};

class FirstCountOkay : public ::testing::TestWithParam<FirstCountCase> {};

TEST_P(FirstCountOkay, WaitingResponsesAreAskedAboutThenTheRecordsStart) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(2));
  h.server.waiting = {InquiryRecord(90), InquiryRecord(91)};
  h.dialogs.answers = {Answer::Yes, GetParam().answer};  // the order, then RECORDS FOUND
  h.RunOrder();

  ASSERT_EQ(h.dialogs.asked.size(), 2u);
  EXPECT_EQ(h.dialogs.asked[1],
            (Question{"RECORDS FOUND",
                      "Records found waiting to download\r\nDo you wish to download them?"}));
  std::vector<std::string> expected = {kLogon, kMessage, kCount, kDelete};
  Batch(expected, "143015", 1, 2);
  expected.insert(expected.end(), {kCount, kCount, kDelete, kMessage});
  EXPECT_EQ(h.Requests(), expected);
  EXPECT_EQ(h.transfer.urls.size(), GetParam().downloaded ? 2u : 1u);

  std::string responses = ResponseLines(1, 2);
  if (GetParam().downloaded) {
    std::string waiting;
    for (int n : {90, 91}) {
      for (const auto& body : ScriptedServer::BodyFor(InquiryRecord(n))) waiting += body + "\r\n";
    }
    responses = waiting + responses;
  }
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), responses);
  // After the first count no question about waiting responses comes again.
  EXPECT_EQ(h.dialogs.asked.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Answers, FirstCountOkay,
                         ::testing::Values(FirstCountCase{"Accepted", Answer::Yes, true},
                                           FirstCountCase{"Declined", Answer::No, false}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(WholeRun, ACountAnsweredDeleteDeletesAndSendsTheNextRecord) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(1));
  h.server.countReplies = {"DELETE"};
  h.RunOrder();
  std::vector<std::string> expected = {kLogon, kMessage, kCount, kDelete};
  Batch(expected, "143015", 1, 1);
  expected.insert(expected.end(), {kCount, kCount, kDelete, kMessage});
  EXPECT_EQ(h.Requests(), expected);
}

TEST(WholeRun, PickUpOnlyWithTheCompletedMarkerFinishesAfterOneDownload) {
  Harness h;  // no INQUIRY.QDK: nothing flagged, the user picks up only
  h.server.waiting = {};
  h.RunOrder();
  EXPECT_EQ(h.dialogs.asked.at(0).text, "NOTHING FLAGGED TO ORDER\r\nARE YOU JUST PICKING UP?");
  EXPECT_EQ(h.view.Text(Control::lblOrdering), "Just Picking Up");
  EXPECT_EQ(h.Requests(), (std::vector<std::string>{kLogon, kMessage, kCount, kPickUp, kCount,
                                                    kCount, kDelete, kMessage}));
  EXPECT_EQ(h.Display(), "Tranfers complete, Press Exit To Continue.");
  EXPECT_EQ(ReadFile("INQUIRY.QDK"), "");  // created empty by the count
}

TEST(WholeRun, PickUpOnlyWithoutTheMarkerKeepsAskingForMore) {
  Harness h;
  h.server.completedWhenEmpty = false;
  h.Open();
  h.form->cmdStart_Click();
  h.RunUntilIdle(12);
  const auto requests = h.Requests();
  EXPECT_GE(std::count(requests.begin(), requests.end(), kPickUp), 3);
  EXPECT_GE(std::count(requests.begin(), requests.end(), kDelete), 3);
  EXPECT_NE(h.Display(), "Tranfers complete, Press Exit To Continue.");
  EXPECT_TRUE(h.server.received.empty());
  EXPECT_EQ(ReadFile("TRACE.QDK").find("Sending Record"), std::string::npos);
}

TEST(WholeRun, MessagesAreRecordedWithBlanksAndAnAbortStopsTheRun) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(3));
  h.server.messages = {"SERVER IS BUSY", "YOUR ORDER WAS ABORTED"};
  h.RunOrder();
  EXPECT_EQ(ReadFile("MESSAGE.QDK"), "SERVER IS BUSY\r\nYOUR ORDER WAS ABORTED\r\n");
  EXPECT_EQ(h.form->Conversation().ServerMessages(),
            "SERVER IS BUSY\r\nYOUR ORDER WAS ABORTED\r\n");
  EXPECT_EQ(h.Requests(), (std::vector<std::string>{kLogon, kMessage, kMessage, kMessage}));
  EXPECT_EQ(h.Display(), "Program Aborted by Web Server, Press Exit");
  EXPECT_EQ(h.view.Text(Control::cmdExit), "Exit");
  EXPECT_NE(ReadFile("TRACE.QDK").find(" Aborted\r\n"), std::string::npos);
  EXPECT_TRUE(h.server.received.empty());
}

TEST(WholeRun, AMessageWithoutAbortLetsTheRunGoOn) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(1));
  h.server.messages = {"HAVE A NICE DAY"};
  h.RunOrder();
  EXPECT_EQ(h.Requests().at(2), kMessage);
  EXPECT_EQ(h.Requests().at(3), kCount);
  EXPECT_EQ(h.Display(), "Tranfers complete, Press Exit To Continue.");
}

struct CodeCase {
  const char* code;
  const char* text;
  const char* trace;
};

class ServerCode : public ::testing::TestWithParam<CodeCase> {};

TEST_P(ServerCode, ShowsItsTextAndEndsTheProgram) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(1));
  h.server.logonReply = h.server.Reply(std::string("ACTION=EXIT&REPLY=") + GetParam().code);
  h.Open();
  EXPECT_THROW(
      {
        h.form->cmdStart_Click();
        h.RunUntilIdle();
      },
      ProgramEnded);
  ASSERT_EQ(h.dialogs.serverMessages.size(), 1u);
  EXPECT_EQ(h.dialogs.serverMessages[0],
            std::string(GetParam().text) + "\r\n\r\nPress exit to continue.");
  EXPECT_NE(ReadFile("TRACE.QDK").find(std::string(" ") + GetParam().trace + "\r\n"),
            std::string::npos);
  EXPECT_EQ(h.view.Text(Control::cmdExit), "Exit");
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ServerCode,
    ::testing::Values(
        CodeCase{"ABORT", "Received an Abort from Web Server. ",
                 "Received an Abort from Web Server"},
        CodeCase{"INACTIVE",
                 "User ID is not active in Vantorel's Computer! \r\n\r\n"
                 "Please call Vantorel at 800-555-0142 to reset your User ID! ",
                 "User Id not active"},
        CodeCase{"TOOMANY",
                 "Since you have not entered the correct log-in information after 3 attempts, "
                 "you must close this program and try again. \r\n\r\nIf you still have "
                 "problems, please contact Vantorel at 800-555-0142 for help! ",
                 "Three attempts to logon"},
        CodeCase{"TIMEOUT",
                 "California DMV regulation state that we must log you out of the web after 10 "
                 "minutes of non-activity. ",
                 "10 minute time-out"},
        CodeCase{"REVOKED",
                 "Your User ID has been revoked!\r\n\r\nYou must call Vantorel at 800-555-0142 "
                 "to reactivate it!",
                 "User has been revoked"}),
    [](const auto& param_info) { return std::string(param_info.param.code); });

TEST(WholeRun, AnUnknownCodeIsReportedAndTheProgramStaysIdle) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(1));
  h.server.logonReply = h.server.Reply("ACTION=EXIT&REPLY=ABORT&X=1");
  h.RunOrder();
  ASSERT_EQ(h.dialogs.boxes.size(), 1u);
  EXPECT_EQ(h.dialogs.boxes[0],
            (Question{"Log On Error",
                      "Unknown command ABORT&X=1 sent from VNL Server. Contact Vantorel!"}));
  EXPECT_NE(ReadFile("TRACE.QDK").find(" Unknown command ABORT&X=1\r\n"), std::string::npos);
  EXPECT_EQ(h.Requests(), std::vector<std::string>{kLogon});
  EXPECT_TRUE(h.dialogs.serverMessages.empty());
}

TEST(WholeRun, AFailedDownloadLosesNothingAndIsRetriedAtTheNextOkay) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(2));
  h.server.failDownloads = 1;
  h.RunOrder();
  std::vector<std::string> expected = {kLogon, kMessage, kCount};
  Batch(expected, "143015", 1, 2);
  // The failed download sends no delete; the timer polls again.
  expected.insert(expected.end(), {kCount, kCount, kMessage, kCount, kDelete, kMessage});
  EXPECT_EQ(h.Requests(), expected);
  EXPECT_EQ(h.transfer.urls.size(), 2u);
  EXPECT_EQ(h.server.deletes, 1);
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), ResponseLines(1, 2));
  const auto& shown = h.view.displays;
  EXPECT_NE(std::find(shown.begin(), shown.end(), "Download failed, will try again in 10 seconds."),
            shown.end());
  EXPECT_NE(ReadFile("TRACE.QDK").find(" Download failed: connection reset\r\n"),
            std::string::npos);
  EXPECT_EQ(h.Display(), "Tranfers complete, Press Exit To Continue.");
}

TEST(WholeRun, ARefusedCertificateStopsTheRunWithNothingMoreSent) {
  struct Case {
    const char* name;
    const char* refusedAt;           // the request whose server's certificate is refused,
    int nth;                         // at its nth time; 0: at the download, by the transfer
    std::vector<std::string> after;  // the requests after the batch
  };
  const Case cases[] = {
      // The server's certificate changes between the first and the second count.
      {"the second count", "V7Count", 2, {kCount}},
      // The refusal comes inside the pass of the request's own sender.
      {"the batch-done request", "ACTION=DONE", 1, {}},
      {"the download", "", 0, {kCount, kCount}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h;
    WriteFile("INQUIRY.QDK", InquiryLines(2));
    int seen = 0;
    h.browser.refuseCertificate = [&](const std::string& url) -> std::string {
      const bool refused = url.find(c.refusedAt) != std::string::npos && ++seen == c.nth;
      return refused ? "certificate has expired" : "";
    };
    if (c.nth == 0) {
      h.transfer.source = [](const std::string&, std::string&) {
        return ports::TransferResult{
            .ok = false, .error = "certificate has expired", .certificateRefused = true};
      };
    }
    h.RunOrder();
    std::vector<std::string> expected = {kLogon, kMessage, kCount};
    Batch(expected, "143015", 1, 2);
    expected.insert(expected.end(), c.after.begin(), c.after.end());
    EXPECT_EQ(h.Requests(), expected);
    const std::string text = "The server's certificate was refused: certificate has expired";
    EXPECT_EQ(h.Display(), text);
    EXPECT_TRUE(ReadFile("TRACE.QDK").ends_with(" " + text + "\r\n")) << ReadFile("TRACE.QDK");
    EXPECT_EQ(h.view.Text(Control::cmdExit), "Exit");
    EXPECT_EQ(h.form->Outcome(), app::RunOutcome::CertificateRefused);
    EXPECT_EQ(h.timer.Interval(), 0);
    EXPECT_TRUE(FileExists("INQUIRY.QDK"));
  }
}

TEST(WholeRun, FailedDownloadsCountTowardTheTenMinuteQuestion) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(1));
  h.server.failDownloads = 1000;
  std::size_t downloadsBeforeTheQuestion = 0;
  h.dialogs.whileOpen = [&] {
    if (h.dialogs.asked.back().title == "TIRED OF WAITING?" && downloadsBeforeTheQuestion == 0) {
      downloadsBeforeTheQuestion = h.transfer.urls.size();
    }
  };
  h.dialogs.answers = {Answer::Yes};      // the order
  h.dialogs.whenScriptEnds = Answer::No;  // then the question, again and again
  h.Open();
  h.form->cmdStart_Click();
  h.RunUntilIdle(62);
  // Tick 1 finds the batch not back yet; ticks 2 to 60 each fetch it in
  // vain; the 61st asks.
  EXPECT_EQ(downloadsBeforeTheQuestion, 59u);
  EXPECT_EQ(h.server.deletes, 0);
}

TEST(WholeRun, AFailedRequestIsNamedOnlyWhileTheRunGoesOnWithNothingScheduled) {
  const struct {
    const char* name;
    const char* unanswered;  // the page the server never answers
    int ticks;               // the poll timer fires at most this often
    bool named;
  } cases[] = {{"the run has completed", "", 500, false},
               {"a poll is to come", "", 0, false},
               {"no answer is coming", "V7Message", 500, true}};
  const std::string line = "Page request V7Message failed: HTTP status 500";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h;
    WriteFile("INQUIRY.QDK", InquiryLines(1));
    h.server.override = [&c](const std::string& url) -> std::optional<std::string> {
      if (*c.unanswered && url.find(c.unanswered) != std::string::npos) return "";
      return std::nullopt;
    };
    h.Open();
    h.form->cmdStart_Click();
    h.RunUntilIdle(c.ticks);
    const std::string trace = ReadFile("TRACE.QDK");
    const std::string shown = h.Display();
    h.browser.Fail(std::string(kBase) + kMessage, "HTTP status 500");
    EXPECT_EQ(ReadFile("TRACE.QDK") == trace, !c.named);
    EXPECT_EQ(h.Display(), c.named ? line : shown);
    EXPECT_EQ(h.form->Conversation().StoppedBecause(), c.named ? line : "");
  }
}

TEST(WholeRun, ARecordTooLongToSendStopsTheRunNamingIt) {
  const std::size_t before = std::string(kBase).size() + Record("143015", 1).substr(0, 43).size();
  for (const std::size_t over : {0, 1}) {
    Harness h;
    const std::string record(protocol::kLongestUrl - before + over, 'A');
    WriteFile("INQUIRY.QDK", record + "\r\n");
    h.RunOrder();
    EXPECT_EQ(h.server.received.size(), 1 - over);
    EXPECT_EQ(h.form->Conversation().StoppedBecause(),
              over ? "Page request V7Main failed: the request is too long to send (record 1, "
                     "1000001 bytes)"
                   : "");
  }
}

// An Exit (Yes) or the close box while a pick-up is under way: the pick-up
// finishes first, its responses stored and its delete request answered (or
// failed), and the program then leaves in place of the run's next step.
// Once the window is unloaded nothing more is sent.
TEST(WholeRun, LeavingDuringAPickUpWaitsForItsEndThenSendsNothing) {
  struct Case {
    const char* name;
    bool exit;  // Exit answered Yes; otherwise the close box
    bool downloadFails;
    bool deleteFails;  // the delete request is never answered, then fails
  };
  const Case cases[] = {
      {"Exit during the conversion", true, false, false},
      {"the close box during the conversion", false, false, false},
      {"Exit during a download that fails", true, true, false},
      {"the close box, then the delete request fails", false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h;
    WriteFile("INQUIRY.QDK", InquiryLines(1));
    const auto leave = [&h, &c] { c.exit ? h.form->cmdExit_Click() : h.CloseBox(); };
    h.transfer.source = [&](const std::string& url, std::string& bytes) {
      // The click waits for the next event pass: the conversion's.
      if (!c.downloadFails) {
        h.queue.Post(leave);
        return h.server.Download(url, bytes);
      }
      leave();
      return ports::TransferResult{.ok = false, .error = "connection reset"};
    };
    h.server.override = [&c](const std::string& url) -> std::optional<std::string> {
      if (c.deleteFails && url.find("V7Delete") != std::string::npos) return "";
      return std::nullopt;
    };
    h.RunOrder();
    if (c.deleteFails) {
      EXPECT_FALSE(h.process.unloaded);
      h.browser.Fail(std::string(kBase) + kDelete, "HTTP status 500");
    }
    EXPECT_TRUE(h.process.unloaded);
    const auto& shown = h.view.displays;
    EXPECT_NE(std::find(shown.begin(), shown.end(), "Leaving once the pick-up has finished."),
              shown.end());
    std::vector<std::string> expected = {kLogon, kMessage, kCount};
    Batch(expected, "143015", 1, 1);
    expected.insert(expected.end(), {kCount, kCount});
    if (!c.downloadFails) expected.push_back(kDelete);
    EXPECT_EQ(h.Requests(), expected);
    // Whatever comes after the unload sends nothing.
    h.browser.Complete(h.server.Reply("ACTION=DELETED"));
    h.RunUntilIdle();
    EXPECT_EQ(h.Requests(), expected);
    EXPECT_FALSE(h.timer.Running());

    h.form->CloseWorkFiles();
    EXPECT_EQ(ReadFile("RESPONSE.QDK"), c.downloadFails ? "" : ResponseLines(1, 1));
    EXPECT_EQ(FileExists("RESPONSE.QDK"), !c.downloadFails);
    EXPECT_EQ(ReadFile("AUDIT.QDK"),
              c.downloadFails ? "" : AuditLine("12/07/2614:30:35", InquiryRecord(1)));
    EXPECT_EQ(FileExists("INQUIRY.QDK"), !c.exit);
    EXPECT_EQ(ReadFile("TRACE.QDK").find("Transactions complete"), std::string::npos);
  }
}

TEST(WholeRun, RecordsAreEncodedWhereACharacterWouldChangeTheRequest) {
  Harness h;
  std::string record = InquiryRecord(1);
  record.replace(5, 4, "&#+%");
  WriteFile("INQUIRY.QDK", record + "\r\n");
  h.RunOrder();
  ASSERT_EQ(h.server.received.size(), 1u);
  EXPECT_EQ(h.server.received[0], record);
  std::string sent = record;
  sent.replace(5, 4, "%26%23%2B%25");
  EXPECT_EQ(h.Requests().at(3), "Zq3/V7Main.asp?ACTION=REQ&TheRecord=143015!" + sent);
}

TEST(WholeRun, ARunWithoutCredentialsLogsOnInThePage) {
  Harness h("");
  WriteFile("INQUIRY.QDK", InquiryLines(1));
  h.Open();
  h.form->cmdStart_Click();
  h.RunUntilIdle();
  EXPECT_EQ(h.Requests(), std::vector<std::string>{"Zq3/V7Begin.asp?ACTION="});
  EXPECT_EQ(h.view.geometry.height, 8400);
  EXPECT_FALSE(h.view.Enabled(Control::cmdStart));
  EXPECT_TRUE(h.browser.visible);

  // The user logs on in the page; the server's redirect carries the IDs.
  h.browser.Complete(h.server.Reply("action=logon&cid=7654321&uid=xyz789"));
  h.RunUntilIdle();
  EXPECT_EQ(h.transfer.urls.at(0), std::string(kBase) + "Zq3/_ffffs/7654321XYZ789.TXT");
  EXPECT_EQ(h.Display(), "Tranfers complete, Press Exit To Continue.");
}

TEST(WholeRun, AServerChosenMidRunTakesTheNextRequest) {
  Harness h;
  WriteFile("INQUIRY.QDK", InquiryLines(12));
  h.server.override = [&h](const std::string& url) -> std::optional<std::string> {
    if (h.server.received.size() == 3 && url.find("REQ") != std::string::npos) {
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

}  // namespace
}  // namespace webaccess::testing
