// The reply dispatcher and the wait timer, reply by reply: the server stays
// silent and the test hands the client each final URL itself.
#include <gtest/gtest.h>

#include "support/Harness.h"

namespace webaccess::testing {
namespace {

using platform::Answer;
using platform::Control;

const std::string kCount = "Zq3/V7Count.asp?ACTION=";
const std::string kMessage = "Zq3/V7Message.asp?ACTION=";
const std::string kDelete = "Zq3/V7Delete.asp?ACTION=";

class Dispatcher : public ::testing::Test {
 protected:
  Dispatcher() {
    WriteFile("INQUIRY.QDK", InquiryLines(12));
    h.server.override = [](const std::string&) { return std::optional<std::string>(""); };
    h.Open();
    h.form->cmdStart_Click();
    h.browser.requests.clear();
    h.dialogs.asked.clear();
  }

  // The client's reaction to one final URL: the requests it made.
  std::vector<std::string> Reply(const std::string& url) {
    h.browser.requests.clear();
    h.browser.Complete(url);
    h.RunUntilIdle(0);
    return h.Requests();
  }
  std::string At(const std::string& query) { return h.server.Reply(query); }

  Harness h;
};

TEST_F(Dispatcher, BlankTextIsIgnored) {
  EXPECT_TRUE(Reply("   ").empty());
  EXPECT_TRUE(Reply("").empty());
}

TEST_F(Dispatcher, RepliesMatchWhateverTheirCase) {
  h.Run().PickUpPending = app::kFalse;
  EXPECT_EQ(Reply(At("action=next")).size(), 1u);
  EXPECT_EQ(h.Run().RecordsSent, 1);
}

TEST_F(Dispatcher, ALogonPageOnlyEnlargesTheWindow) {
  EXPECT_TRUE(Reply("https://main.example.com/Zq3/V7Login.asp?ACTION=LOGON&CID=1&UID=2").empty());
  EXPECT_EQ(h.view.geometry.height, 8400);
  EXPECT_EQ(h.Globals().UserId.Value(), "ABC123");
  EXPECT_TRUE(Reply(At("ACTION=TERMINAL")).empty());
}

TEST_F(Dispatcher, AnExitReplyWinsOverAnyOtherAction) {
  EXPECT_THROW(Reply(At("ACTION=MSG&ACTION=EXIT&REPLY=ABORT")), ProgramEnded);
}

TEST_F(Dispatcher, TheLogonAcknowledgementReplacesTheIds) {
  EXPECT_EQ(Reply(At("ACTION=LOGON&CID=12345&UID=ab1")), std::vector<std::string>{kMessage});
  EXPECT_EQ(h.Globals().CompanyNumber.Value(), "12345& ");
  EXPECT_EQ(h.Globals().UserId.Value(), "AB1   ");
  EXPECT_EQ(h.Run().ReplyState, 2);
}

TEST_F(Dispatcher, ALogonAcknowledgementWithoutUidIsIgnored) {
  EXPECT_TRUE(Reply(At("ACTION=LOGON&CID=7777777")).empty());
  EXPECT_EQ(h.Globals().CompanyNumber.Value(), "1234567");
  EXPECT_EQ(h.Globals().UserId.Value(), "ABC123");
}

TEST_F(Dispatcher, CountValuesAreComparedWhole) {
  h.Run().PickUpPending = app::kFalse;
  EXPECT_TRUE(Reply(At("ACTION=COUNT&REPLY=NONE&T=1")).empty());
  EXPECT_FALSE(h.timer.Running());
  EXPECT_TRUE(Reply(At("ACTION=COUNT")).empty());
  EXPECT_TRUE(Reply(At("ACTION=COUNT&REPLY=MAYBE")).empty());
  EXPECT_TRUE(Reply(At("ACTION=COUNT&REPLY=none")).empty());
  EXPECT_TRUE(h.timer.Running());
  EXPECT_EQ(h.Display(), "Not back yet, will try again in 10 seconds.");
  EXPECT_NE(ReadFile("TRACE.QDK").find(" Records not back yet\r\n"), std::string::npos);
}

TEST_F(Dispatcher, TheFirstCountNoneStartsTheRecords) {
  const auto requests = Reply(At("ACTION=COUNT&REPLY=NONE"));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].starts_with("Zq3/V7Main.asp?ACTION=REQ&TheRecord=143015!"));
  EXPECT_EQ(h.Run().PickUpPending, app::kFalse);
  EXPECT_EQ(h.Run().ReplyState, 1);
}

TEST_F(Dispatcher, MessageRepliesAreDecodedRecordedAndTheNextIsAskedFor) {
  EXPECT_EQ(Reply(At("ACTION=MSG&REPLY=7|SERVER%20IS%20BUSY")), std::vector<std::string>{kMessage});
  EXPECT_EQ(h.Globals().ServerMessages, "SERVER IS BUSY\r\n");
  EXPECT_EQ(h.view.Text(Control::cmdExit), "Exit");
  EXPECT_EQ(h.Run().AbortSeen, app::kFalse);
  Reply(At("ACTION=MSG&REPLY=1|aborted%20by%20operator"));
  EXPECT_EQ(h.Run().AbortSeen, app::kTrue);
  EXPECT_EQ(ReadFile("MESSAGE.QDK"), "SERVER IS BUSY\r\nABORTED BY OPERATOR\r\n");
}

TEST_F(Dispatcher, AMessageReplyWithoutItsPartsEndsTheCheckLikeNone) {
  h.Run().ReplyState = 2;
  EXPECT_EQ(Reply(At("ACTION=MSG&REPLY=NOBAR")), std::vector<std::string>{kCount});
  EXPECT_EQ(Reply(At("ACTION=MSG")), std::vector<std::string>{kCount});
  EXPECT_EQ(h.Globals().ServerMessages, "");
}

TEST_F(Dispatcher, ARequestUrlComingBackUnchangedIsIgnored) {
  EXPECT_TRUE(Reply("https://main.example.com/Zq3/V7Main.asp?ACTION=DONE&Batch=143015").empty());
  EXPECT_TRUE(Reply("https://main.example.com/Zq3/V7Main.asp?ACTION=REQ&TheRecord=1").empty());
}

TEST_F(Dispatcher, TheDeleteAcknowledgementFollowsItsRules) {
  h.Run().PickUpPending = app::kFalse;
  h.Run().InquiriesDone = app::kTrue;
  EXPECT_EQ(Reply(At("ACTION=DELETED")), std::vector<std::string>{kMessage});
  EXPECT_EQ(h.Run().ReplyState, 4);

  h.Run().PickUpOnly = app::kTrue;
  Reply(At("ACTION=DELETED"));
  EXPECT_EQ(h.Run().ReplyState, 1);
  h.Globals().CompletedSeen = app::kTrue;
  Reply(At("ACTION=DELETED"));
  EXPECT_EQ(h.Run().ReplyState, 4);
}

// The wait timer's side.
class Waiting : public Dispatcher {
 protected:
  Waiting() {
    h.Run().PickUpPending = app::kFalse;
    h.timer.SetInterval(10000);
  }
  std::vector<std::string> Tick() {
    h.browser.requests.clear();
    h.Tick();
    return h.Requests();
  }
};

TEST_F(Waiting, TicksAskForTheCountTwiceThenForMessages) {
  EXPECT_EQ(Tick(), std::vector<std::string>{kCount});
  EXPECT_FALSE(h.timer.Running());
  h.timer.SetInterval(10000);
  EXPECT_EQ(Tick(), std::vector<std::string>{kCount});
  h.timer.SetInterval(10000);
  EXPECT_EQ(Tick(), std::vector<std::string>{kMessage});
  EXPECT_EQ(h.Run().ReplyState, 2);
  EXPECT_EQ(Reply(At("ACTION=MSG&REPLY=<NONE>")), std::vector<std::string>{kCount});
  h.timer.SetInterval(10000);
  EXPECT_EQ(Tick(), std::vector<std::string>{kCount});
}

TEST_F(Waiting, TheSixtyFirstTickWithoutProgressAsks) {
  h.Run().WaitTicks = 59;
  EXPECT_EQ(Tick(), std::vector<std::string>{kCount});
  EXPECT_TRUE(h.dialogs.asked.empty());
  h.timer.SetInterval(10000);

  h.dialogs.answers = {Answer::No};
  EXPECT_TRUE(Tick().empty());
  ASSERT_EQ(h.dialogs.asked.size(), 1u);
  EXPECT_EQ(h.dialogs.asked[0],
            (Question{"TIRED OF WAITING?",
                      "IT'S BEEN OVER TEN MINUTES AND NOTHING HAS COME BACK YET,\r\n"
                      "YES to continue waiting or NO to stop."}));
  EXPECT_TRUE(h.timer.Running());
  EXPECT_EQ(h.Run().WaitTicks, 61);

  h.dialogs.answers = {Answer::Yes};
  EXPECT_EQ(Tick().size(), 1u);  // the poll of that same tick
  EXPECT_EQ(h.dialogs.asked.size(), 2u);
  EXPECT_EQ(h.Run().WaitTicks, 0);
  EXPECT_FALSE(h.timer.Running());
}

TEST_F(Waiting, ATickDueWhileTheQuestionIsOpenIsDropped) {
  h.Run().WaitTicks = 60;
  int ticksWhileOpen = 0;
  h.dialogs.whileOpen = [&] {
    if (ticksWhileOpen++ < 3) h.Tick();
  };
  h.dialogs.answers = {Answer::Yes};
  EXPECT_EQ(Tick().size(), 1u);
  EXPECT_EQ(h.dialogs.asked.size(), 1u);
  EXPECT_EQ(h.Run().PollTicks, 1);
}

TEST_F(Waiting, AnOkayResetsTheWaitWithoutAsking) {
  h.Run().WaitTicks = 50;
  Reply(At("ACTION=COUNT&REPLY=OKAY"));
  EXPECT_EQ(h.Run().WaitTicks, 0);
  EXPECT_TRUE(h.dialogs.asked.empty());  // not the first count: nothing to ask
  EXPECT_EQ(h.transfer.urls.size(), 1u);
}

TEST_F(Waiting, AnAbortShowsWhateverTheStateAndStateZeroDoesNothing) {
  h.Run().ReplyState = 0;
  EXPECT_TRUE(Reply(At("ACTION=MSG&REPLY=<NONE>")).empty());
  EXPECT_NE(h.Display(), "Program Aborted by Web Server, Press Exit");
  h.Run().AbortSeen = app::kTrue;
  h.Run().ReplyState = 1;
  EXPECT_TRUE(Reply(At("ACTION=MSG&REPLY=%3CNONE%3E<NONE>")).empty());
  EXPECT_EQ(h.Display(), "Program Aborted by Web Server, Press Exit");
}

}  // namespace
}  // namespace webaccess::testing
