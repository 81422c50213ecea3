// The conversation reply by reply, and tick by tick of its poll timer: the
// server stays silent and the test hands the conversation each final URL
// itself. Each state is reached through the conversation's surface.
#include <gtest/gtest.h>

#include "support/Harness.h"

namespace webaccess::testing {
namespace {

using app::RunOutcome;
using ports::Answer;
using ports::Control;

const std::string kCount = "Zq3/V7Count.asp?ACTION=";
const std::string kMessage = "Zq3/V7Message.asp?ACTION=";
const std::string kDelete = "Zq3/V7Delete.asp?ACTION=";
const std::string kRecord = "Zq3/V7Main.asp?ACTION=REQ&TheRecord=143015!";
const std::string kPickUp = "Zq3/V7Main.asp?ACTION=DONE&Batch=PICKUP";
const std::string kBatchDone = "Zq3/V7Main.asp?ACTION=DONE&Batch=143015";

// Steps that are not replies.
const std::string kTick = "tick";
const std::string kPickUpMenu = "pick up only";

const std::string kLogonAck = "ACTION=LOGON&CID=1234567&UID=ABC123";
const std::string kNoMessages = "ACTION=MSG&REPLY=<NONE>";
const std::string kCountNone = "ACTION=COUNT&REPLY=NONE";
const std::string kNotBackYet = "Not back yet, will try again in 10 seconds.";
const std::string kAborted = "Program Aborted by Web Server, Press Exit";
const std::string kComplete = "Tranfers complete, Press Exit To Continue.";

// The conversation with an order of `records` records, started: the logon
// request is out and no reply has come.
class Steps {
 public:
  explicit Steps(int records = 12) {
    WriteFile("INQUIRY.QDK", InquiryLines(records));
    h.server.answer = [](const std::string&) { return std::optional<std::string>(""); };
    // A download hands over a file without responses.
    h.transfer.source = [](const std::string&, std::string& bytes) {
      bytes = sim::BuildResponseFile({});
      return ports::TransferResult{.ok = true, .error = {}};
    };
    h.Start();
    h.browser.requests.clear();
  }

  // The conversation's reaction to one step (a reply, a tick, or picking up
  // only): the requests it made.
  std::vector<std::string> Step(const std::string& step) {
    if (step == kTick) {
      h.browser.requests.clear();
      h.Tick();
      h.RunUntilIdle(0);
      return h.Requests();
    }
    if (step == kPickUpMenu) {
      h.conversation.PickUpOnly();
      return {};
    }
    return Reply(At(step));
  }
  std::vector<std::string> Reply(const std::string& url) {
    h.browser.requests.clear();
    h.browser.Complete(url);
    h.RunUntilIdle(0);
    return h.Requests();
  }
  std::string At(const std::string& query) { return h.server.Reply(query); }

  // Polls `ticks` times while nothing comes back, answering each request
  // a tick makes as a server that has nothing yet would.
  void PollWithoutProgress(int ticks) {
    for (int i = 0; i < ticks; ++i) {
      std::vector<std::string> asked = Step(kTick);
      if (asked == std::vector<std::string>{kMessage}) asked = Step(kNoMessages);
      ASSERT_EQ(asked, std::vector<std::string>{kCount}) << "tick " << i;
      Step(kCountNone);
    }
  }

  ConversationHarness h;
};

class Dispatcher : public ::testing::Test, public Steps {};

// One step in a state the steps before it lead to.
struct DispatchRow {
  const char* name;
  std::vector<std::string> before = {};  // the steps that lead to the state
  std::string step;                      // the step under test
  std::vector<std::string> requests;
  int records = 12;  // the order's size
  std::optional<std::string> display = std::nullopt;
  std::optional<bool> timerRunning = std::nullopt;
  RunOutcome outcome = RunOutcome::Running;
};

const DispatchRow kDispatchRows[] = {
    {.name = "the end of the message check after the logon asks for the count",
     .before = {kLogonAck},
     .step = kNoMessages,
     .requests = {kCount}},
    {.name = "the end of a message check before the logon acknowledgement does nothing",
     .step = kNoMessages,
     .requests = {},
     .display = "",
     .outcome = RunOutcome::CannotGoOn},
    {.name = "a message check without its parts ends like one with none",
     .before = {kLogonAck},
     .step = "ACTION=MSG&REPLY=NOBAR",
     .requests = {kCount}},
    {.name = "a message check without a value ends like one with none",
     .before = {kLogonAck},
     .step = "ACTION=MSG",
     .requests = {kCount}},
    {.name = "a message asks for the next one",
     .before = {kLogonAck},
     .step = "ACTION=MSG&REPLY=7|SERVER%20IS%20BUSY",
     .requests = {kMessage}},
    {.name = "the first count NONE starts the records", .step = kCountNone, .requests = {kRecord}},
    {.name = "a later count NONE waits for the timer",
     .before = {kCountNone},
     .step = kCountNone,
     .requests = {},
     .display = kNotBackYet,
     .timerRunning = true},
    {.name = "count values are compared whole",
     .before = {kCountNone},
     .step = "ACTION=COUNT&REPLY=NONE&T=1",
     .requests = {},
     .timerRunning = false,
     .outcome = RunOutcome::CannotGoOn},
    {.name = "an unknown count value does nothing",
     .before = {kCountNone},
     .step = "ACTION=COUNT&REPLY=MAYBE",
     .requests = {},
     .timerRunning = false,
     .outcome = RunOutcome::CannotGoOn},
    {.name = "a count without a value does nothing",
     .before = {kCountNone},
     .step = "ACTION=COUNT",
     .requests = {},
     .timerRunning = false,
     .outcome = RunOutcome::CannotGoOn},
    {.name = "the values are read upper-cased",
     .before = {kCountNone},
     .step = "action=count&reply=none",
     .requests = {},
     .timerRunning = true},
    {.name = "a count DELETE asks for the deletion",
     .step = "ACTION=COUNT&REPLY=DELETE",
     .requests = {kDelete}},
    {.name = "after the first count NONE the end of a message check sends a record",
     .before = {kCountNone},
     .step = kNoMessages,
     .requests = {kRecord}},
    {.name = "a record taken sends the next one",
     .before = {kCountNone},
     .step = "action=next",
     .requests = {kRecord}},
    {.name = "the eleventh call closes the batch",
     .before = {kCountNone, "ACTION=NEXT", "ACTION=NEXT", "ACTION=NEXT", "ACTION=NEXT",
                "ACTION=NEXT", "ACTION=NEXT", "ACTION=NEXT", "ACTION=NEXT", "ACTION=NEXT"},
     .step = "ACTION=NEXT",
     .requests = {kBatchDone},
     .timerRunning = true},
    {.name = "while responses may wait, a deletion starts the records",
     .step = "ACTION=DELETED",
     .requests = {kRecord}},
    {.name = "with records left, a deletion starts the next batch",
     .before = {kCountNone},
     .step = "ACTION=DELETED",
     .requests = {kRecord}},
    {.name = "with every record sent, a deletion checks the messages",
     .before = {kCountNone, "ACTION=NEXT"},
     .step = "ACTION=DELETED",
     .requests = {kMessage},
     .records = 1},
    {.name = "with every record sent and deleted, the end of the message check completes",
     .before = {kCountNone, "ACTION=NEXT", "ACTION=DELETED"},
     .step = kNoMessages,
     .requests = {},
     .records = 1,
     .display = kComplete,
     .outcome = RunOutcome::Complete},
    {.name = "picking up only without the completed marker asks for more",
     .before = {kPickUpMenu, kCountNone, "ACTION=DELETED"},
     .step = kNoMessages,
     .requests = {kPickUp},
     .timerRunning = true},
    {.name = "an ABORT message ends the run when the message check ends",
     .before = {kLogonAck, "ACTION=MSG&REPLY=1|aborted%20by%20operator"},
     .step = kNoMessages,
     .requests = {},
     .display = kAborted,
     .outcome = RunOutcome::AbortedByServer},
    {.name = "an abort shows whatever follows the message check",
     .before = {"ACTION=MSG&REPLY=1|ABORT"},
     .step = "ACTION=MSG&REPLY=%3CNONE%3E<NONE>",
     .requests = {},
     .display = kAborted,
     .outcome = RunOutcome::AbortedByServer},
    {.name = "a logon page waits for the user",
     .step = "https://main.example.com/Zq3/V7Login.asp?ACTION=LOGON&CID=1&UID=2",
     .requests = {},
     .outcome = RunOutcome::WaitingForUserInServerPage},
    {.name = "a terminal action waits for the user",
     .step = "ACTION=TERMINAL",
     .requests = {},
     .outcome = RunOutcome::WaitingForUserInServerPage},
    {.name = "a record taken after the server's page goes on compact",
     .before = {"ACTION=TERMINAL", kCountNone},
     .step = "ACTION=NEXT",
     .requests = {kRecord}},
    {.name = "the first tick asks for the count",
     .before = {kPickUpMenu, kCountNone},
     .step = kTick,
     .requests = {kCount},
     .timerRunning = false},
    {.name = "the third tick checks the messages",
     .before = {kPickUpMenu, kCountNone, kTick, kCountNone, kTick, kCountNone},
     .step = kTick,
     .requests = {kMessage}},
    {.name = "the end of the tick's message check asks for the count",
     .before = {kPickUpMenu, kCountNone, kTick, kCountNone, kTick, kCountNone, kTick},
     .step = kNoMessages,
     .requests = {kCount}},
    {.name = "the fourth tick asks for the count again",
     .before = {kPickUpMenu, kCountNone, kTick, kCountNone, kTick, kCountNone, kTick, kNoMessages,
                kCountNone},
     .step = kTick,
     .requests = {kCount}},
};

TEST(DispatchTable, EachStepFollowsFromTheStateTheConversationReached) {
  for (const DispatchRow& row : kDispatchRows) {
    SCOPED_TRACE(row.name);
    Steps c(row.records);
    for (const std::string& step : row.before) c.Step(step);
    const std::vector<std::string> requests = c.Step(row.step);
    ASSERT_EQ(requests.size(), row.requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
      EXPECT_TRUE(requests[i].starts_with(row.requests[i])) << requests[i];
    }
    if (row.display) {
      EXPECT_EQ(c.h.Display(), *row.display);
    }
    if (row.timerRunning) {
      EXPECT_EQ(c.h.timer.Running(), *row.timerRunning);
    }
    EXPECT_EQ(c.h.conversation.Outcome(), row.outcome);
  }
}

TEST_F(Dispatcher, BlankTextIsIgnored) {
  EXPECT_TRUE(Reply("   ").empty());
  EXPECT_TRUE(Reply("").empty());
}

TEST_F(Dispatcher, ALogonPageOnlyEnlargesTheWindow) {
  EXPECT_TRUE(Reply("https://main.example.com/Zq3/V7Login.asp?ACTION=LOGON&CID=1&UID=2").empty());
  EXPECT_EQ(h.view.geometry.height, 8400);
  EXPECT_EQ(ReadFile("TRACE.QDK").find("Logged On OK"), std::string::npos);
}

TEST_F(Dispatcher, AnExitReplyWinsOverAnyOtherActionAndEndsTheProgram) {
  EXPECT_THROW(Step("ACTION=MSG&ACTION=EXIT&REPLY=ABORT"), ProgramEnded);
  EXPECT_EQ(h.conversation.Outcome(), RunOutcome::EndedByServerCode);
}

// The IDs name the response file that the next download fetches.
TEST_F(Dispatcher, TheLogonAcknowledgementReplacesTheIds) {
  EXPECT_EQ(Step("ACTION=LOGON&CID=12345&UID=ab1"), std::vector<std::string>{kMessage});
  Step("ACTION=COUNT&REPLY=OKAY");
  ASSERT_EQ(h.transfer.urls.size(), 1u);
  EXPECT_TRUE(h.transfer.urls[0].ends_with("/_ffffs/12345& AB1   .TXT")) << h.transfer.urls[0];
}

TEST_F(Dispatcher, ALogonAcknowledgementWithoutUidIsIgnored) {
  EXPECT_TRUE(Step("ACTION=LOGON&CID=7777777").empty());
  Step("ACTION=COUNT&REPLY=OKAY");
  ASSERT_EQ(h.transfer.urls.size(), 1u);
  EXPECT_TRUE(h.transfer.urls[0].ends_with("/_ffffs/1234567ABC123.TXT")) << h.transfer.urls[0];
}

TEST_F(Dispatcher, ALaterCountNoneIsTraced) {
  Step(kCountNone);
  Step(kCountNone);
  EXPECT_NE(ReadFile("TRACE.QDK").find(" Records not back yet\r\n"), std::string::npos);
}

TEST_F(Dispatcher, MessagesAreDecodedAndRecorded) {
  Step("ACTION=MSG&REPLY=7|SERVER%20IS%20BUSY");
  EXPECT_EQ(h.conversation.ServerMessages(), "SERVER IS BUSY\r\n");
  EXPECT_EQ(h.view.Text(Control::cmdExit), "Exit");
  Step("ACTION=MSG&REPLY=1|aborted%20by%20operator");
  EXPECT_EQ(ReadFile("MESSAGE.QDK"), "SERVER IS BUSY\r\nABORTED BY OPERATOR\r\n");
  Step("ACTION=MSG&REPLY=NOBAR");
  EXPECT_EQ(h.conversation.ServerMessages(), "SERVER IS BUSY\r\nABORTED BY OPERATOR\r\n");
}

TEST_F(Dispatcher, WithNothingUnderWayTheRunCannotGoOnUnlessTheUserCan) {
  EXPECT_EQ(h.conversation.Outcome(), RunOutcome::Running);  // the logon is out
  EXPECT_TRUE(Step("ACTION=QUEUED").empty());
  EXPECT_EQ(h.conversation.Outcome(), RunOutcome::CannotGoOn);
  Step("ACTION=TERMINAL");
  EXPECT_EQ(h.conversation.Outcome(), RunOutcome::WaitingForUserInServerPage);
}

TEST_F(Dispatcher, ARequestUrlComingBackUnchangedIsIgnored) {
  EXPECT_TRUE(Reply("https://main.example.com/Zq3/V7Main.asp?ACTION=DONE&Batch=143015").empty());
  EXPECT_TRUE(Reply("https://main.example.com/Zq3/V7Main.asp?ACTION=REQ&TheRecord=1").empty());
}

// The wait timer's side: picking up only, the first count has sent the
// pick-up request and the poll timer runs.
class Waiting : public Dispatcher {
 protected:
  Waiting() {
    Step(kPickUpMenu);
    Step(kCountNone);
  }
};

TEST_F(Waiting, TheSixtyFirstTickWithoutProgressAsks) {
  PollWithoutProgress(60);
  EXPECT_TRUE(h.dialogs.asked.empty());

  h.dialogs.answers = {Answer::No};
  EXPECT_TRUE(Step(kTick).empty());
  ASSERT_EQ(h.dialogs.asked.size(), 1u);
  EXPECT_EQ(h.dialogs.asked[0],
            (Question{"TIRED OF WAITING?",
                      "IT'S BEEN OVER TEN MINUTES AND NOTHING HAS COME BACK YET,\r\n"
                      "YES to continue waiting or NO to stop."}));
  EXPECT_TRUE(h.timer.Running());

  h.dialogs.answers = {Answer::Yes};
  EXPECT_EQ(Step(kTick).size(), 1u);  // the poll of that same tick
  EXPECT_EQ(h.dialogs.asked.size(), 2u);
  EXPECT_FALSE(h.timer.Running());
  // Answered Yes, the count starts again: sixty more ticks before the next question.
  Step(kCountNone);
  PollWithoutProgress(60);
  EXPECT_EQ(h.dialogs.asked.size(), 2u);
}

TEST_F(Waiting, ATickDueWhileTheQuestionIsOpenIsDropped) {
  PollWithoutProgress(60);
  int ticksWhileOpen = 0;
  h.dialogs.whileOpen = [&] {
    if (ticksWhileOpen++ < 3) h.Tick();
  };
  h.dialogs.answers = {Answer::Yes};
  EXPECT_EQ(Step(kTick).size(), 1u);
  EXPECT_EQ(h.dialogs.asked.size(), 1u);
}

TEST_F(Waiting, AnOkayResetsTheWaitWithoutAsking) {
  PollWithoutProgress(50);
  Step("ACTION=COUNT&REPLY=OKAY");
  EXPECT_TRUE(h.dialogs.asked.empty());  // not the first count: nothing to ask
  EXPECT_EQ(h.transfer.urls.size(), 1u);
  Step(kCountNone);
  PollWithoutProgress(60);
  EXPECT_TRUE(h.dialogs.asked.empty());
}

}  // namespace
}  // namespace webaccess::testing
