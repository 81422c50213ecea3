// Whole runs of the conversation against the simulated server, driven as
// the window drives it: the requests in order, the status line, the outcome
// and the work files byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "protocol/PageUrl.h"
#include "support/Harness.h"

namespace webaccess::testing {
namespace {

using app::RunOutcome;
using ports::Answer;
using ports::Control;
using sim::FaultKind;
using sim::Page;

const std::string kLogon =
    "Zq3/V7Begin.asp?ACTION=&Company=1234567&CompPass=PASS&User=ABC123&UserPass=PW12  ";
const std::string kMessage = "Zq3/V7Message.asp?ACTION=";
const std::string kCount = "Zq3/V7Count.asp?ACTION=";
const std::string kDelete = "Zq3/V7Delete.asp?ACTION=";
const std::string kPickUp = "Zq3/V7Main.asp?ACTION=DONE&Batch=PICKUP";
const std::string kComplete = "Tranfers complete, Press Exit To Continue.";
const std::string kRefused = "The server's certificate was refused: certificate has expired";
// The first batch's responses are converted at the second poll.
const std::string kFirstBatchStored = "12/07/2614:30:35";

std::string RecordRequest(const std::string& batch, const std::string& record) {
  return "Zq3/V7Main.asp?ACTION=REQ&TheRecord=" + batch + "!" + record;
}
std::string Done(const std::string& batch) { return "Zq3/V7Main.asp?ACTION=DONE&Batch=" + batch; }

// The logon, the message check and the first count.
const std::vector<std::string> kOpening = {kLogon, kMessage, kCount};

// The requests for records first..last of one batch, and its end.
std::vector<std::string> Batch(const std::string& id, int first, int last) {
  std::vector<std::string> requests;
  for (int n = first; n <= last; ++n) requests.push_back(RecordRequest(id, InquiryRecord(n)));
  requests.push_back(Done(id));
  return requests;
}

template <typename T>
std::vector<T> Join(std::initializer_list<std::vector<T>> parts) {
  std::vector<T> all;
  for (const std::vector<T>& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A response the client stores: the server's number for it, its record, and
// the time of its conversion, which begins its audit line.
struct Stored {
  int number;
  std::string record;
  std::string stamp;
};

// The responses to the order's records first..last, numbered from `number`.
std::vector<Stored> Responses(int number, int first, int last, const std::string& stamp) {
  std::vector<Stored> stored;
  for (int n = first; n <= last; ++n) stored.push_back({number++, InquiryRecord(n), stamp});
  return stored;
}

std::string ResponseFile(const std::vector<Stored>& stored) {
  std::string file;
  for (const Stored& s : stored) file += ResponseLines(s.number, s.record);
  return file;
}

std::string AuditFile(const std::vector<Stored>& stored) {
  std::string file;
  for (const Stored& s : stored) file += s.stamp + AuditTail("ABC123", s.record) + "\r\n";
  return file;
}

bool Shown(const ConversationHarness& c, const std::string& text) {
  const auto& shown = c.view.displays;
  return std::find(shown.begin(), shown.end(), text) != shown.end();
}

// The record whose request is as long as the client sends (`over` 0), or
// one byte longer.
std::string RecordOfLongestRequest(std::size_t over) {
  const std::size_t before = std::string(kBase).size() + RecordRequest("143015", "").size();
  return std::string(protocol::kLongestUrl - before + over, 'A');
}

void WriteOrderOf(const std::string& record) { WriteFile("INQUIRY.QDK", record + "\r\n"); }

// The order's record with bytes that would change the request, as it is
// sent: those bytes escaped, blanks and the rest as they are.
const std::string kEscapedRecord = InquiryRecord(1, 60, RecordTail::Escaped);
std::string EscapedAsSent() {
  std::string sent = kEscapedRecord;
  return sent.replace(37, 20, "A%26B %2541 %231 %2B2 =!|<>%E9");
}

// A whole order that completes.
struct OrderRow {
  const char* name;
  int records;  // written to INQUIRY.QDK before `arrange`
  std::function<void(ConversationHarness&)> arrange = {};
  std::vector<std::string> requests;
  std::size_t downloads;  // of the response file
  std::vector<Stored> stored = {};
  std::string messages = {};             // MESSAGE.QDK and the run's server messages
  std::vector<std::string> shown = {};   // status texts on the way
  std::vector<std::string> traced = {};  // parts of the trace
  std::vector<Question> asked = {};
  std::string caption = {};
};

const Question kRecordsFound{"RECORDS FOUND",
                             "Records found waiting to download\r\nDo you wish to download them?"};

// Answers the first count DELETE; the server answers the rest.
void FirstCountSaysDelete(ConversationHarness& c) {
  c.server.answer = [&c, first = true](const std::string& url) mutable {
    std::optional<std::string> answer;
    if (first && url.find("V7Count") != std::string::npos) {
      answer = c.server.Reply("ACTION=COUNT&REPLY=DELETE");
      first = false;
    }
    return answer;
  };
}

const OrderRow kOrders[] = {
    {.name = "twenty-five records go in batches of ten, ten and five",
     .records = 25,
     // Ticks 1, 2: NONE, OKAY; ticks 3, 4; ticks 5, 6.
     .requests = Join<std::string>({kOpening,
                                    Batch("143015", 1, 10),
                                    {kCount, kCount, kDelete},
                                    Batch("143035", 11, 20),
                                    {kMessage, kCount, kCount, kDelete},
                                    Batch("143055", 21, 25),
                                    {kCount, kMessage, kCount, kDelete, kMessage}}),
     .downloads = 3,
     .stored = Join<Stored>({Responses(1, 1, 10, kFirstBatchStored),
                             Responses(11, 11, 20, "12/07/2614:30:55"),
                             Responses(21, 21, 25, "12/07/2614:31:15")}),
     // Each batch's label counts its own records.
     .shown = {"10 Records requested, please wait", "5 Records requested, please wait"},
     .traced = {" Sending Record 25\r\n", " Transactions complete\r\n"},
     .caption = "Requesting Record 25"},
    {.name = "exactly ten records end the file in the eleventh call",
     .records = 10,
     .requests =
         Join<std::string>({kOpening, Batch("143015", 1, 10), {kCount, kCount, kDelete, kMessage}}),
     .downloads = 1,
     .stored = Responses(1, 1, 10, kFirstBatchStored)},
    {.name = "waiting responses accepted at the first count come before the records",
     .records = 2,
     .arrange =
         [](ConversationHarness& c) {
           c.server.options.waiting = 2;
           c.dialogs.answers = {Answer::Yes};
         },
     .requests = Join<std::string>(
         {kOpening, {kDelete}, Batch("143015", 1, 2), {kCount, kCount, kDelete, kMessage}}),
     .downloads = 2,
     .stored = Join<Stored>({{{1, sim::EarlierRecord(1), "12/07/2614:30:15"},
                              {2, sim::EarlierRecord(2), "12/07/2614:30:15"}},
                             Responses(3, 1, 2, kFirstBatchStored)}),
     .asked = {kRecordsFound}},
    {.name = "waiting responses declined are deleted unread",
     .records = 2,
     .arrange =
         [](ConversationHarness& c) {
           c.server.options.waiting = 2;
           c.dialogs.answers = {Answer::No};
         },
     .requests = Join<std::string>(
         {kOpening, {kDelete}, Batch("143015", 1, 2), {kCount, kCount, kDelete, kMessage}}),
     .downloads = 1,
     .stored = Responses(3, 1, 2, kFirstBatchStored),
     .asked = {kRecordsFound}},
    {.name = "a count answered DELETE deletes and sends the next record",
     .records = 1,
     .arrange = FirstCountSaysDelete,
     .requests = Join<std::string>(
         {kOpening, {kDelete}, Batch("143015", 1, 1), {kCount, kCount, kDelete, kMessage}}),
     .downloads = 1,
     .stored = Responses(1, 1, 1, kFirstBatchStored)},
    {.name = "picking up only ends with the download that holds the completed marker",
     .records = 0,
     .arrange = [](ConversationHarness& c) { c.conversation.PickUpOnly(); },
     .requests = {kLogon, kMessage, kCount, kPickUp, kCount, kCount, kDelete, kMessage},
     .downloads = 1},
    {.name = "a message without ABORT lets the run go on",
     .records = 1,
     .arrange = [](ConversationHarness& c) { c.server.options.messages = {"HAVE A NICE DAY"}; },
     .requests = Join<std::string>({{kLogon, kMessage, kMessage, kCount},
                                    Batch("143015", 1, 1),
                                    {kCount, kCount, kDelete, kMessage}}),
     .downloads = 1,
     .stored = Responses(1, 1, 1, kFirstBatchStored),
     .messages = "HAVE A NICE DAY\r\n"},
    {.name = "a failed download sends no delete and is fetched again at the next OKAY",
     .records = 2,
     .arrange =
         [](ConversationHarness& c) {
           c.server.options.faults = {{FaultKind::Drop, Page::File, 1}};
         },
     .requests = Join<std::string>(
         {kOpening, Batch("143015", 1, 2), {kCount, kCount, kMessage, kCount, kDelete, kMessage}}),
     .downloads = 2,
     .stored = Responses(1, 1, 2, "12/07/2614:30:45"),
     .shown = {"Download failed, will try again in 10 seconds."},
     .traced = {" Download failed: Empty reply from server\r\n"}},
    {.name = "a record's bytes that would change the request travel escaped",
     .records = 1,
     .arrange = [](ConversationHarness&) { WriteOrderOf(kEscapedRecord); },
     .requests = Join<std::string>({kOpening,
                                    {RecordRequest("143015", EscapedAsSent()), Done("143015")},
                                    {kCount, kCount, kDelete, kMessage}}),
     .downloads = 1,
     .stored = {{1, kEscapedRecord, kFirstBatchStored}}},
    {.name = "a record whose request is as long as the client sends goes",
     .records = 1,
     .arrange = [](ConversationHarness&) { WriteOrderOf(RecordOfLongestRequest(0)); },
     .requests =
         Join<std::string>({kOpening,
                            {RecordRequest("143015", RecordOfLongestRequest(0)), Done("143015")},
                            {kCount, kCount, kDelete, kMessage}}),
     .downloads = 1,
     .stored = {{1, RecordOfLongestRequest(0), kFirstBatchStored}}},
};

TEST(ConversationOrders, EveryRequestAndEveryWorkFileByte) {
  for (const OrderRow& row : kOrders) {
    SCOPED_TRACE(row.name);
    ConversationHarness c;
    if (row.records > 0) WriteFile("INQUIRY.QDK", InquiryLines(row.records));
    if (row.arrange) row.arrange(c);
    c.RunOrder();

    EXPECT_EQ(c.Requests(), row.requests);
    EXPECT_EQ(c.transfer.urls.size(), row.downloads);
    EXPECT_EQ(c.Display(), kComplete);
    EXPECT_EQ(c.conversation.Outcome(), RunOutcome::Complete);
    EXPECT_EQ(c.view.Text(Control::cmdExit), "Exit");
    EXPECT_FALSE(c.timer.Running());
    EXPECT_EQ(ReadFile("RESPONSE.QDK"), ResponseFile(row.stored));
    EXPECT_EQ(ReadFile("AUDIT.QDK"), AuditFile(row.stored));
    EXPECT_EQ(ReadFile("MESSAGE.QDK"), row.messages);
    EXPECT_EQ(c.conversation.ServerMessages(), row.messages);
    EXPECT_EQ(c.dialogs.asked, row.asked);
    for (const std::string& text : row.shown) EXPECT_TRUE(Shown(c, text)) << text;
    const std::string trace = ReadFile("TRACE.QDK");
    for (const std::string& part : row.traced) {
      EXPECT_NE(trace.find(part), std::string::npos) << part;
    }
    if (!row.caption.empty()) {
      EXPECT_EQ(c.view.Text(Control::Caption), row.caption);
    }
  }
}

// A run that ends before it completes, with nothing more to send.
struct StopRow {
  const char* name;
  int records;
  std::function<void(ConversationHarness&)> arrange = {};
  std::vector<std::string> requests;
  std::string display;  // the status line at the end
  RunOutcome outcome;
  std::string traced = {};    // the trace's last line after its stamp; empty: the display
  bool named = true;          // what stopped the run is the status line
  std::string messages = {};  // MESSAGE.QDK
  std::vector<Question> boxes = {};
};

// The server's certificate is refused at the nth request holding `part`.
std::function<void(ConversationHarness&)> RefusedAt(std::string part, int nth) {
  return [part, nth](ConversationHarness& c) {
    c.browser.refuseCertificate = [part, nth, seen = 0](const std::string& url) mutable {
      const bool refused = url.find(part) != std::string::npos && ++seen == nth;
      return std::string(refused ? "certificate has expired" : "");
    };
  };
}

std::function<void(ConversationHarness&)> Fault(FaultKind kind, Page page, int nth) {
  return [=](ConversationHarness& c) { c.server.options.faults = {{kind, page, nth}}; };
}

const std::string kTooLong =
    "Page request V7Main failed: the request is too long to send (record 1, 1000001 bytes)";

const StopRow kStops[] = {
    {.name = "an ABORT among the server's messages stops the run once they are read",
     .records = 3,
     .arrange =
         [](ConversationHarness& c) {
           c.server.options.messages = {"SERVER IS BUSY", "YOUR ORDER WAS ABORTED"};
         },
     .requests = {kLogon, kMessage, kMessage, kMessage},
     .display = "Program Aborted by Web Server, Press Exit",
     .outcome = RunOutcome::AbortedByServer,
     .traced = "Aborted",
     .named = false,
     .messages = "SERVER IS BUSY\r\nYOUR ORDER WAS ABORTED\r\n"},
    {.name = "an unknown server code is reported and nothing more is sent",
     .records = 1,
     .arrange = [](ConversationHarness& c) { c.server.options.error = "ABORT&X=1"; },
     .requests = {kLogon},
     .display = "",
     .outcome = RunOutcome::CannotGoOn,
     .traced = "Unknown command ABORT&X=1",
     .named = false,
     .boxes = {{"Log On Error",
                "Unknown command ABORT&X=1 sent from VNL Server. Contact Vantorel!"}}},
    // The server's certificate changes between the first and the second count.
    {.name = "a certificate refused at a count",
     .records = 2,
     .arrange = RefusedAt("V7Count", 2),
     .requests = Join<std::string>({kOpening, Batch("143015", 1, 2), {kCount}}),
     .display = kRefused,
     .outcome = RunOutcome::CertificateRefused},
    // The refusal comes inside the pass of the request's own sender.
    {.name = "a certificate refused at the batch-done request",
     .records = 2,
     .arrange = RefusedAt("ACTION=DONE", 1),
     .requests = Join<std::string>({kOpening, Batch("143015", 1, 2)}),
     .display = kRefused,
     .outcome = RunOutcome::CertificateRefused},
    {.name = "a certificate refused by the download",
     .records = 2,
     .arrange =
         [](ConversationHarness& c) {
           c.transfer.source = [](const std::string&, std::string&) {
             return ports::TransferResult{
                 .ok = false, .error = "certificate has expired", .certificateRefused = true};
           };
         },
     .requests = Join<std::string>({kOpening, Batch("143015", 1, 2), {kCount, kCount}}),
     .display = kRefused,
     .outcome = RunOutcome::CertificateRefused},
    {.name = "a record too long to send is named, and nothing is sent",
     .records = 1,
     .arrange = [](ConversationHarness&) { WriteOrderOf(RecordOfLongestRequest(1)); },
     .requests = kOpening,
     .display = kTooLong,
     .outcome = RunOutcome::CannotGoOn},
    {.name = "no answer to the logon",
     .records = 2,
     .arrange = Fault(FaultKind::Drop, Page::Begin, 1),
     .requests = {kLogon},
     .display = "Page request V7Begin failed: Empty reply from server",
     .outcome = RunOutcome::CannotGoOn},
    {.name = "an error status at a record",
     .records = 2,
     .arrange = Fault(FaultKind::ServerError, Page::Main, 2),
     .requests = Join<std::string>(
         {kOpening,
          {RecordRequest("143015", InquiryRecord(1)), RecordRequest("143015", InquiryRecord(2))}}),
     .display = "Page request V7Main failed: HTTP status 500",
     .outcome = RunOutcome::CannotGoOn},
    {.name = "endless redirects at the message check",
     .records = 2,
     .arrange = Fault(FaultKind::RedirectLoop, Page::Message, 1),
     .requests = {kLogon, kMessage},
     .display = "Page request V7Message failed: more than 20 redirects",
     .outcome = RunOutcome::CannotGoOn},
};

TEST(ConversationStops, NothingMoreIsSentAndTheOrderStays) {
  for (const StopRow& row : kStops) {
    SCOPED_TRACE(row.name);
    ConversationHarness c;
    WriteFile("INQUIRY.QDK", InquiryLines(row.records));
    if (row.arrange) row.arrange(c);
    c.RunOrder();

    EXPECT_EQ(c.Requests(), row.requests);
    EXPECT_EQ(c.Display(), row.display);
    EXPECT_EQ(c.conversation.Outcome(), row.outcome);
    EXPECT_EQ(c.conversation.StoppedBecause(), row.named ? row.display : "");
    const std::string trace = ReadFile("TRACE.QDK");
    const std::string& last = row.traced.empty() ? row.display : row.traced;
    EXPECT_TRUE(trace.ends_with(" " + last + "\r\n")) << trace;
    EXPECT_EQ(c.view.Text(Control::cmdExit), "Exit");
    EXPECT_FALSE(c.timer.Running());
    EXPECT_EQ(ReadFile("MESSAGE.QDK"), row.messages);
    EXPECT_EQ(c.conversation.ServerMessages(), row.messages);
    EXPECT_EQ(c.dialogs.boxes, row.boxes);
    EXPECT_TRUE(c.dialogs.serverMessages.empty());
    EXPECT_TRUE(FileExists("INQUIRY.QDK"));
    EXPECT_EQ(ReadFile("TRACE.QDK").find("Transactions complete"), std::string::npos);
  }
}

struct CodeCase {
  const char* code;
  const char* text;
  const char* trace;
};

class ServerCode : public ::testing::TestWithParam<CodeCase> {};

TEST_P(ServerCode, ShowsItsTextAndEndsTheProgram) {
  ConversationHarness c;
  WriteFile("INQUIRY.QDK", InquiryLines(1));
  c.server.options.error = GetParam().code;
  EXPECT_THROW(c.RunOrder(), ProgramEnded);
  EXPECT_EQ(c.dialogs.serverMessages, std::vector<std::string>{std::string(GetParam().text) +
                                                               "\r\n\r\nPress exit to continue."});
  EXPECT_TRUE(ReadFile("TRACE.QDK").ends_with(std::string(" ") + GetParam().trace + "\r\n"));
  EXPECT_EQ(c.view.Text(Control::cmdExit), "Exit");
  EXPECT_EQ(c.conversation.Outcome(), RunOutcome::EndedByServerCode);
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

TEST(ConversationRun, PickingUpOnlyWithoutTheCompletedMarkerKeepsAskingForMore) {
  ConversationHarness c;
  c.server.options.pickupRounds = 1000;
  c.conversation.PickUpOnly();
  c.Start();
  c.RunUntilIdle(12);
  const auto requests = c.Requests();
  EXPECT_GE(std::count(requests.begin(), requests.end(), kPickUp), 3);
  EXPECT_GE(std::count(requests.begin(), requests.end(), kDelete), 3);
  EXPECT_EQ(c.conversation.Outcome(), RunOutcome::Running);
  EXPECT_TRUE(c.server.Records().empty());
  EXPECT_EQ(ReadFile("TRACE.QDK").find("Sending Record"), std::string::npos);
}

// The logon carries the credentials at their fixed widths, blanks included;
// without a company number the user logs on in the server's page.
TEST(ConversationRun, TheLogonCarriesTheCredentialsAtTheirWidths) {
  const struct {
    const char* commandLine;
    const char* logon;
    bool inThePage;
  } cases[] = {
      {kCommandLine, kLogon.c_str(), false},
      {"1234567PAS,ABC12",
       "Zq3/V7Begin.asp?ACTION=&Company=1234567&CompPass=PAS,&User=ABC12 &UserPass=ABC12 ", false},
      {"       PASS,ABC123,PW", "Zq3/V7Begin.asp?ACTION=", true},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.commandLine);
    ConversationHarness c(row.commandLine);
    WriteFile("INQUIRY.QDK", InquiryLines(1));
    c.server.answer = [](const std::string&) { return std::optional<std::string>(""); };
    c.Start();
    EXPECT_EQ(c.Requests(), std::vector<std::string>{row.logon});
    EXPECT_EQ(c.view.geometry.height, row.inThePage ? 8400 : 2055);
    EXPECT_EQ(ReadFile("TRACE.QDK").find(" Logging on to Server with Company Number/User Id\r\n") ==
                  std::string::npos,
              row.inThePage);
  }
}

TEST(ConversationRun, WithoutCredentialsTheUserLogsOnInTheServersPage) {
  ConversationHarness c("");
  WriteFile("INQUIRY.QDK", InquiryLines(1));
  c.server.options.interactiveLogon = true;
  c.RunOrder();
  EXPECT_EQ(c.Requests(), std::vector<std::string>{"Zq3/V7Begin.asp?ACTION="});
  EXPECT_EQ(c.view.geometry.height, 8400);
  EXPECT_FALSE(c.view.Enabled(Control::cmdStart));
  EXPECT_TRUE(c.browser.visible);
  EXPECT_EQ(c.conversation.Outcome(), RunOutcome::WaitingForUserInServerPage);

  // The user logs on in the page; the server's redirect carries the IDs.
  c.browser.Navigate(std::string(kBase) +
                     "Zq3/V7Login.asp?Company=7654321&CompPass=WXYZ&User=xyz789&UserPass=pw1234");
  c.RunUntilIdle();
  EXPECT_EQ(c.transfer.urls.at(0), std::string(kBase) + "Zq3/_ffffs/7654321XYZ789.TXT");
  EXPECT_EQ(c.Display(), kComplete);
  // The IDs the server gave head the audit lines.
  EXPECT_EQ(ReadFile("AUDIT.QDK").substr(16), AuditTail("XYZ789", InquiryRecord(1)) + "\r\n");
}

TEST(ConversationRun, FailedDownloadsCountTowardTheTenMinuteQuestion) {
  ConversationHarness c;
  WriteFile("INQUIRY.QDK", InquiryLines(1));
  for (int n = 1; n <= 100; ++n)
    c.server.options.faults.push_back({FaultKind::Drop, Page::File, n});
  std::size_t downloadsBeforeTheQuestion = 0;
  c.dialogs.whileOpen = [&] {
    if (downloadsBeforeTheQuestion == 0) downloadsBeforeTheQuestion = c.transfer.urls.size();
  };
  c.dialogs.whenScriptEnds = Answer::No;
  c.Start();
  c.RunUntilIdle(62);
  // Tick 1 finds the batch not back yet; ticks 2 to 60 each fetch it in
  // vain; the 61st asks.
  EXPECT_EQ(c.dialogs.asked.at(0).title, "TIRED OF WAITING?");
  EXPECT_EQ(downloadsBeforeTheQuestion, 59u);
  const auto requests = c.Requests();
  EXPECT_EQ(std::count(requests.begin(), requests.end(), kDelete), 0);
}

TEST(ConversationRun, AFailedRequestIsNamedOnlyWhileTheRunGoesOnWithNothingScheduled) {
  const struct {
    const char* name;
    const char* unanswered;  // the page the server never answers
    int ticks;               // the poll timer fires at most this often
    bool named;
  } cases[] = {{"the run has completed", "", 500, false},
               {"a poll is to come", "", 0, false},
               {"no answer is coming", "V7Message", 500, true}};
  const std::string line = "Page request V7Message failed: HTTP status 500";
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    ConversationHarness c;
    WriteFile("INQUIRY.QDK", InquiryLines(1));
    c.server.answer = [&row](const std::string& url) {
      std::optional<std::string> answer;
      if (*row.unanswered && url.find(row.unanswered) != std::string::npos) answer = "";
      return answer;
    };
    c.Start();
    c.RunUntilIdle(row.ticks);
    const std::string trace = ReadFile("TRACE.QDK");
    const std::string shown = c.Display();
    c.browser.Fail(std::string(kBase) + kMessage, "HTTP status 500");
    EXPECT_EQ(ReadFile("TRACE.QDK") == trace, !row.named);
    EXPECT_EQ(c.Display(), row.named ? line : shown);
    EXPECT_EQ(c.conversation.StoppedBecause(), row.named ? line : "");
  }
}

// The window asks to close while a pick-up is under way: the close waits
// until the pick-up has ended (its responses stored and its delete request
// answered, or the download or the delete failed), then goes on in place of
// the run's next step. Once the window is gone nothing more is sent.
TEST(ConversationRun, ACloseDuringAPickUpWaitsForItsEnd) {
  enum class Then { Stored, DownloadFails, DeleteFails };
  const struct {
    const char* name;
    Then then;
  } cases[] = {{"during the conversion", Then::Stored},
               {"during a download that fails", Then::DownloadFails},
               {"during the conversion, then the delete request fails", Then::DeleteFails}};
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    ConversationHarness c;
    WriteFile("INQUIRY.QDK", InquiryLines(1));
    bool held = false;
    int closes = 0;
    const auto askToClose = [&] {
      held = c.conversation.HoldClose([&] {
        ++closes;
        c.conversation.WindowClosed();
      });
    };
    c.transfer.source = [&](const std::string& url, std::string& bytes) {
      if (row.then == Then::DownloadFails) {
        askToClose();
        return ports::TransferResult{.ok = false, .error = "connection reset"};
      }
      // The close comes at the next event pass: the conversion's.
      c.queue.Post(askToClose);
      return c.server.Download(url, bytes);
    };
    c.server.answer = [&row](const std::string& url) {
      std::optional<std::string> answer;
      if (row.then == Then::DeleteFails && url.find("V7Delete") != std::string::npos) answer = "";
      return answer;
    };
    c.RunOrder();
    EXPECT_TRUE(held);
    if (row.then == Then::DeleteFails) {
      EXPECT_EQ(closes, 0);
      c.browser.Fail(std::string(kBase) + kDelete, "HTTP status 500");
    }
    EXPECT_EQ(closes, 1);
    std::vector<std::string> expected =
        Join<std::string>({kOpening, Batch("143015", 1, 1), {kCount, kCount}});
    if (row.then != Then::DownloadFails) expected.push_back(kDelete);
    EXPECT_EQ(c.Requests(), expected);
    // Whatever comes after the window is gone sends nothing.
    c.browser.Complete(c.server.Reply("ACTION=DELETED"));
    c.RunUntilIdle();
    EXPECT_EQ(c.Requests(), expected);
    EXPECT_FALSE(c.timer.Running());

    c.CloseWorkFiles();
    const std::vector<Stored> stored = row.then == Then::DownloadFails
                                           ? std::vector<Stored>{}
                                           : Responses(1, 1, 1, kFirstBatchStored);
    EXPECT_EQ(ReadFile("RESPONSE.QDK"), ResponseFile(stored));
    EXPECT_EQ(ReadFile("AUDIT.QDK"), AuditFile(stored));
    EXPECT_EQ(ReadFile("TRACE.QDK").find("Transactions complete"), std::string::npos);
  }
}

}  // namespace
}  // namespace webaccess::testing
