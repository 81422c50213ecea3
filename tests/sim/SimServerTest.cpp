#include "SimServer.h"

#include <gtest/gtest.h>

namespace webaccess::sim {
namespace {

constexpr const char* kBase = "http://127.0.0.1:1/";
constexpr const char* kLogon =
    "/Zq3/V7Begin.asp?ACTION=&Company=1234567&CompPass=ABCD&User=abc123&UserPass=SECRET";

// Drives a server and reads its answers as the client would.
class Sim {
 public:
  explicit Sim(SimOptions options = {}) : server_(std::move(options), kBase) {}

  SimReply Raw(const std::string& target) { return server_.Handle({target, cookie_}); }

  // The reply query a page redirects to ("ACTION=..."), or the redirect
  // target outside the reply page, or "<status>" for a page that does not
  // redirect.
  std::string Get(const std::string& target) {
    const SimReply reply = Raw(target);
    if (!reply.setCookie.empty()) cookie_ = reply.setCookie.substr(0, reply.setCookie.find(';'));
    if (reply.status != 302) return "<" + std::to_string(reply.status) + ">";
    const std::string replyPage = std::string(kBase) + "Zq3/Reply.asp?";
    if (reply.location.starts_with(replyPage)) return reply.location.substr(replyPage.size());
    return reply.location;
  }

  std::string LogOn() { return Get(kLogon); }
  std::string Send(const std::string& record) {
    return Get("/Zq3/V7Main.asp?ACTION=REQ&TheRecord=101010!" + record);
  }
  std::string Done() { return Get("/Zq3/V7Main.asp?ACTION=DONE&Batch=101010"); }
  std::string Count() { return Get("/Zq3/V7Count.asp?ACTION="); }
  std::string File() {
    const SimReply reply = Raw("/Zq3/_ffffs/1234567ABC123.TXT");
    return reply.status == 200 ? reply.body : "<" + std::to_string(reply.status) + ">";
  }

  void ForgetCookie() { cookie_.clear(); }
  SimServer& server() { return server_; }

 private:
  SimServer server_;
  std::string cookie_;
};

std::string Record(char tag) { return std::string(1, tag) + std::string(57, tag); }

TEST(SimLogon, AcknowledgesWithCompanyNumberAndUserIdLast) {
  Sim sim;
  EXPECT_EQ(sim.LogOn(), "ACTION=LOGON&CID=1234567&UID=ABC123");
}

TEST(SimLogon, TrimsBlanksOfFixedWidthFieldsAndNamesTheFileAsTheClientCutsIt) {
  Sim sim;
  EXPECT_EQ(sim.Get("/Zq3/V7Begin.asp?ACTION=&Company=12345%20%20&CompPass=AB%20%20&User=ab1%20%20"
                    "%20&UserPass=X"),
            "ACTION=LOGON&CID=12345&UID=AB1");
  // The client keeps the "&" behind a short company number in its field.
  EXPECT_EQ(ResponseFileName("12345", "AB1"), "12345& AB1   .TXT");
  EXPECT_EQ(ResponseFileName("1234567", "ABC123"), "1234567ABC123.TXT");
}

TEST(SimLogon, AnswersTheErrorCodeWhenToldTo) {
  SimOptions options;
  options.error = "TOOMANY";
  Sim sim(options);
  EXPECT_EQ(sim.LogOn(), "ACTION=EXIT&REPLY=TOOMANY");
}

TEST(SimLogon, WithoutCredentialsLeadsToTheLogonPage) {
  for (const bool interactive : {false, true}) {
    SimOptions options;
    options.interactiveLogon = interactive;
    Sim sim(options);
    EXPECT_EQ(sim.Get("/Zq3/V7Begin.asp?ACTION="), std::string(kBase) + "Zq3/V7Login.asp");
    const SimReply page = sim.Raw("/Zq3/V7Login.asp");
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.body.find("<form") != std::string::npos, interactive);
    // Submitting the form logs on only where the form is offered.
    EXPECT_EQ(sim.Get("/Zq3/V7Login.asp?Company=7654321&CompPass=P&User=usr&UserPass=Q"),
              interactive ? "ACTION=LOGON&CID=7654321&UID=USR" : "<200>");
  }
}

TEST(SimRecords, DecodesRecordsAndClosesBatchesOfAnySize) {
  Sim sim;
  sim.LogOn();
  EXPECT_EQ(sim.Send("A%26B%25C%23D%2BE%0AF G!H"), "ACTION=NEXT");
  EXPECT_EQ(sim.Done(), "ACTION=QUEUED&BATCH=101010");
  EXPECT_EQ(sim.server().Records(), std::vector<std::string>{"A&B%C#D+E\nF G!H"});
  EXPECT_EQ(sim.Get("/Zq3/V7Main.asp?ACTION=REQ&TheRecord=norecordid"),
            "ACTION=EXIT&REPLY=BADRECORD");
  EXPECT_EQ(sim.Get("/Zq3/V7Main.asp?ACTION=FOO"), "ACTION=EXIT&REPLY=BADACTION");
}

TEST(SimCounts, AnswerNoneForReadyAfterPollsThenOkayUntilDeleted) {
  for (const int readyAfter : {0, 1, 3}) {
    SimOptions options;
    options.readyAfter = readyAfter;
    Sim sim(options);
    sim.LogOn();
    EXPECT_EQ(sim.Count(), "ACTION=COUNT&REPLY=NONE") << "nothing handed over yet";
    sim.Send(Record('a'));
    sim.Done();
    for (int poll = 0; poll < readyAfter; ++poll) {
      EXPECT_EQ(sim.Count(), "ACTION=COUNT&REPLY=NONE") << readyAfter;
      EXPECT_EQ(sim.File(), "<404>");
    }
    EXPECT_EQ(sim.Count(), "ACTION=COUNT&REPLY=OKAY") << readyAfter;
    EXPECT_EQ(sim.Count(), "ACTION=COUNT&REPLY=OKAY") << "ready until deleted";
    EXPECT_NE(sim.File().find("<NEW>"), std::string::npos);
    EXPECT_EQ(sim.Get("/Zq3/V7Delete.asp?ACTION="), "ACTION=DELETED");
    EXPECT_EQ(sim.Count(), "ACTION=COUNT&REPLY=NONE");
    EXPECT_EQ(sim.File(), "<404>");
  }
}

TEST(SimCounts, PreparesEachBatchWithItsOwnRecordsAndFailsTheChosenOnes) {
  SimOptions options;
  options.readyAfter = 0;
  options.failRecords = {{2, "17"}};
  options.fileMessages = {"FIRST FILE ONLY"};
  Sim sim(options);
  sim.LogOn();
  sim.Send(Record('a'));
  sim.Send(Record('b'));
  sim.Done();
  sim.Count();
  ResponseFileContent first{"1234567",
                            "ABC123",
                            {{1, Record('a'), ""}, {2, Record('b'), "17"}},
                            {"FIRST FILE ONLY"},
                            false};
  EXPECT_EQ(sim.File(), BuildResponseFile(first));
  sim.Get("/Zq3/V7Delete.asp?ACTION=");
  sim.Send(Record('c'));
  sim.Done();
  sim.Count();
  ResponseFileContent second{"1234567", "ABC123", {{3, Record('c'), ""}}, {}, false};
  EXPECT_EQ(sim.File(), BuildResponseFile(second));
  EXPECT_EQ(sim.Raw("/Zq3/_ffffs/7654321ABC123.TXT").status, 404) << "another customer's file";
}

TEST(SimCounts, EarlierResponsesWaitAtTheFirstCount) {
  SimOptions options;
  options.waiting = 2;
  Sim sim(options);
  sim.LogOn();
  EXPECT_EQ(sim.Count(), "ACTION=COUNT&REPLY=OKAY");
  const std::string file = sim.File();
  EXPECT_NE(file.find("RESPONSES 2\r\n"), std::string::npos);
  EXPECT_NE(file.find("EARLIER REQUEST 1"), std::string::npos);
  sim.Get("/Zq3/V7Delete.asp?ACTION=");
  EXPECT_EQ(sim.Count(), "ACTION=COUNT&REPLY=NONE");
}

TEST(SimCounts, PickUpCompletesAtTheChosenRound) {
  SimOptions options;
  options.readyAfter = 0;
  options.pickupRounds = 2;
  Sim sim(options);
  sim.LogOn();
  for (const bool completes : {false, true}) {
    EXPECT_EQ(sim.Get("/Zq3/V7Main.asp?ACTION=DONE&Batch=PICKUP"), "ACTION=QUEUED&BATCH=PICKUP");
    EXPECT_EQ(sim.Count(), "ACTION=COUNT&REPLY=OKAY");
    EXPECT_EQ(sim.File().ends_with("<COMPLETED>\r\n"), completes);
    sim.Get("/Zq3/V7Delete.asp?ACTION=");
  }
}

TEST(SimMessages, OnePerRequestWithBlanksEscapedThenNone) {
  SimOptions options;
  options.messages = {"SERVER IS BUSY", "RUN ABORTED"};
  Sim sim(options);
  EXPECT_EQ(sim.Get("/Zq3/V7Message.asp?ACTION="), "ACTION=MSG&REPLY=1|SERVER%20IS%20BUSY");
  EXPECT_EQ(sim.Get("/Zq3/V7Message.asp?ACTION="), "ACTION=MSG&REPLY=2|RUN%20ABORTED");
  EXPECT_EQ(sim.Get("/Zq3/V7Message.asp?ACTION="), "ACTION=MSG&REPLY=<NONE>");
}

TEST(SimCookie, LaterPagesAndTheFileWantTheSessionCookie) {
  SimOptions options;
  options.requireCookie = true;
  options.readyAfter = 0;
  Sim sim(options);
  const SimReply logon = sim.Raw(kLogon);
  EXPECT_TRUE(logon.setCookie.starts_with("SIMSESSION=")) << logon.setCookie;
  const std::string loginPage = std::string(kBase) + "Zq3/V7Login.asp";
  EXPECT_EQ(sim.Count(), loginPage) << "no cookie yet";
  sim.LogOn();
  EXPECT_EQ(sim.Send(Record('a')), "ACTION=NEXT");
  sim.Done();
  EXPECT_EQ(sim.Count(), "ACTION=COUNT&REPLY=OKAY");
  EXPECT_EQ(sim.server().Handle({"/Zq3/_ffffs/1234567ABC123.TXT", "X=1"}).location, loginPage);
  EXPECT_NE(sim.File().find("<NEW>"), std::string::npos);
  sim.ForgetCookie();
  EXPECT_EQ(sim.Get("/Zq3/V7Message.asp?ACTION="), loginPage);
}

TEST(SimFaults, StrikeOnceAtTheirStepAndLeaveTheStateAlone) {
  struct Case {
    FaultKind kind;
    SimReply::Delivery delivery;
    int status;
    bool countAdvances;
  };
  const Case cases[] = {
      {FaultKind::Drop, SimReply::Delivery::Drop, 200, false},
      {FaultKind::ServerError, SimReply::Delivery::Normal, 500, false},
      {FaultKind::ShortBody, SimReply::Delivery::ShortBody, 302, true},
      {FaultKind::RedirectLoop, SimReply::Delivery::Normal, 302, false},
  };
  for (const Case& c : cases) {
    SimOptions options;
    options.readyAfter = 2;
    options.faults = {{c.kind, Page::Count, 2}};
    Sim sim(options);
    sim.LogOn();
    sim.Send(Record('a'));
    sim.Done();
    EXPECT_EQ(sim.Count(), "ACTION=COUNT&REPLY=NONE");
    const SimReply struck = sim.Raw("/Zq3/V7Count.asp?ACTION=");
    EXPECT_EQ(struck.delivery, c.delivery);
    if (c.delivery != SimReply::Delivery::Drop) {
      EXPECT_EQ(struck.status, c.status);
    }
    // A struck request that had no effect leaves the batch one poll short.
    EXPECT_EQ(sim.Count(), c.countAdvances ? "ACTION=COUNT&REPLY=OKAY" : "ACTION=COUNT&REPLY=NONE");
    EXPECT_EQ(sim.Raw("/Zq3/V7Count.asp?ACTION=").delivery, SimReply::Delivery::Normal);
  }
}

TEST(SimFaults, ServerErrorAndDropDoNotTakeTheRecord) {
  for (const FaultKind kind : {FaultKind::ServerError, FaultKind::Drop, FaultKind::ShortBody}) {
    SimOptions options;
    options.faults = {{kind, Page::Main, 1}};
    Sim sim(options);
    sim.LogOn();
    sim.Send(Record('a'));
    sim.Send(Record('b'));
    const std::vector<std::string> expected =
        kind == FaultKind::ShortBody ? std::vector<std::string>{Record('a'), Record('b')}
                                     : std::vector<std::string>{Record('b')};
    EXPECT_EQ(sim.server().Records(), expected);
  }
}

TEST(SimFaults, ATargetBeyondTheUriLimitIsRefusedWithoutEffect) {
  SimOptions options;
  options.uriLimit =
      static_cast<int>(std::string("/Zq3/V7Main.asp?ACTION=REQ&TheRecord=101010!").size()) + 58;
  Sim sim(options);
  sim.LogOn();
  EXPECT_EQ(sim.Send(Record('a')), "ACTION=NEXT");
  EXPECT_EQ(sim.Send(Record('b') + "x"), "<414>");
  EXPECT_EQ(sim.server().Records(), std::vector<std::string>{Record('a')});
}

TEST(SimFaults, RedirectLoopNeverEnds) {
  SimOptions options;
  options.faults = {{FaultKind::RedirectLoop, std::nullopt, 2}};
  Sim sim(options);
  EXPECT_EQ(sim.LogOn(), "ACTION=LOGON&CID=1234567&UID=ABC123");
  const std::string loop = std::string(kBase) + "Zq3/Loop.asp?N=";
  EXPECT_EQ(sim.Get("/Zq3/V7Message.asp?ACTION="), loop + "1");
  EXPECT_EQ(sim.Get("/Zq3/Loop.asp?N=1"), loop + "2");
  EXPECT_EQ(sim.Get("/Zq3/Loop.asp?N=41"), loop + "42");
}

TEST(SimExit, TheAnswerToTheLastRequestEndsTheProcess) {
  SimOptions options;
  options.exitAfter = 2;
  Sim sim(options);
  EXPECT_FALSE(sim.Raw(kLogon).exitAfter);
  EXPECT_TRUE(sim.Raw("/Zq3/Reply.asp?ACTION=LOGON").exitAfter);
}

}  // namespace
}  // namespace webaccess::sim
