#include "batch/BatchPlatform.h"

#include <gtest/gtest.h>

#include "Fakes.h"
#include "batch/BatchOptions.h"

namespace webaccess::batch {
namespace {

using ports::Answer;
using ports::Control;
using testing::RecordingTerminal;

TEST(MaskCredentials, HidesBothPasswordsWhereverTheyStand) {
  EXPECT_EQ(MaskCredentials("http://s/Zq3/V7Begin.asp?ACTION=&Company=1234567&CompPass=ABCD&User="
                            "ABC123&UserPass=SECRET"),
            "http://s/Zq3/V7Begin.asp?ACTION=&Company=1234567&CompPass=****&User=ABC123&UserPass="
            "******");
  EXPECT_EQ(MaskCredentials("userpass=ab c&x=1 and COMPPASS=Q"),
            "userpass=****&x=1 and COMPPASS=*");
  EXPECT_EQ(MaskCredentials("Status: Requesting Record 7"), "Status: Requesting Record 7");
}

TEST(TerminalView, PrintsEachChangeOfTheThreeLabelsOnly) {
  RecordingTerminal terminal;
  Output output(terminal);
  TerminalView view(output);
  view.SetText(Control::lblDisplay, "Checking for response...");
  view.SetText(Control::lblDisplay, "Checking for response...");
  view.SetText(Control::lblOrdering, "Ordering  3 Records");
  view.SetText(Control::lblServer, "Alternate Server");
  view.SetText(Control::Caption, "Requesting Record 1");
  view.SetText(Control::cmdExit, "STOP");
  view.SetText(Control::lblDisplay, "");
  EXPECT_EQ(terminal.printed, (std::vector<std::string>{"Status: Checking for response...",
                                                        "Ordering: Ordering  3 Records",
                                                        "Server: Alternate Server", "Status: "}));
}

TEST(TerminalDialogs, AnswerFromTheListThenTheTerminalThenNo) {
  RecordingTerminal terminal;
  terminal.canAsk = true;
  terminal.replies = {Terminal::Reply::Yes};
  Output output(terminal);
  TerminalDialogs dialogs(output, false, {false, true},
                          [] { return std::optional<long long>(1500); });
  EXPECT_EQ(dialogs.AskYesNo("QUESTION", "A"), Answer::No);
  EXPECT_EQ(dialogs.AskYesNo("QUESTION", "B"), Answer::Yes);
  EXPECT_EQ(dialogs.AskYesNo("QUESTION", "C"), Answer::Yes) << "asked on the terminal";
  EXPECT_EQ(dialogs.AskYesNo("QUESTION", "D"), Answer::No) << "input ended";
  EXPECT_EQ(terminal.limitsSeen, (std::vector<std::optional<long long>>{1500, 1500}));
  terminal.canAsk = false;
  EXPECT_EQ(dialogs.AskYesNo("QUESTION", "E"), Answer::No);
  EXPECT_EQ(terminal.limitsSeen.size(), 2u) << "nobody to ask";
  EXPECT_EQ(terminal.printed[0], "[QUESTION] A");
  EXPECT_EQ(terminal.printed[1], "  -> No (--answers)");
  EXPECT_EQ(terminal.printed.back(), "  -> No (no terminal to ask)");
}

TEST(TerminalDialogs, YesToEverythingAndTheTimeLimitDuringAQuestion) {
  RecordingTerminal terminal;
  Output output(terminal);
  TerminalDialogs all(output, true, {}, [] { return std::nullopt; });
  EXPECT_EQ(all.AskYesNo("RECORDS FOUND", "Records found waiting to download\r\nDo you wish?"),
            Answer::Yes);
  EXPECT_EQ(terminal.printed[0],
            "[RECORDS FOUND] Records found waiting to download / Do you wish?");
  terminal.canAsk = true;
  terminal.replies = {Terminal::Reply::TimeUp};
  TerminalDialogs timed(output, false, {}, [] { return std::optional<long long>(5); });
  EXPECT_THROW(timed.AskYesNo("TIRED OF WAITING?", "..."), TimeLimitReached);
}

TEST(TerminalDialogs, PrintsTheBoxAndTheMessageWindowLineByLine) {
  RecordingTerminal terminal;
  Output output(terminal);
  TerminalDialogs dialogs(output, false, {}, [] { return std::nullopt; });
  dialogs.ShowCritical("Log On Error", "Unknown command X sent from VNL Server. Contact Vantorel!");
  dialogs.ShowServerMessage("ONE\r\nTWO\r\n\r\n\r\nPress exit to continue.");
  EXPECT_EQ(
      terminal.printed,
      (std::vector<std::string>{
          "[Log On Error] Unknown command X sent from VNL Server. Contact Vantorel!",
          "[Message From Vantorel]", "  ONE", "  TWO", "  ", "  ", "  Press exit to continue."}));
}

template <typename Call>
int StatusOf(Call call) {
  try {
    call();
  } catch (const ProgramEnd& end) {
    return end.status;
  }
  return -1;
}

TEST(BatchProcess, EndsWithTheStatusOfWhatEndedIt) {
  RecordingTerminal terminal;
  Output output(terminal);
  bool started = false;
  BatchProcess process(output, [&] { return started; });
  EXPECT_EQ(StatusOf([&] { process.EndAtOnce(); }), kEndedByAnswers);
  started = true;
  EXPECT_EQ(StatusOf([&] { process.EndAtOnce(); }), kServerErrorCode);
  EXPECT_EQ(StatusOf([&] { process.Fail("cannot create TRACE.QDK"); }), kWorkFileFailure);
  EXPECT_EQ(terminal.reported,
            std::vector<std::string>{"webaccess-batch: cannot create TRACE.QDK"});
  EXPECT_FALSE(process.UnloadAsked());
  process.UnloadMainWindow();
  EXPECT_TRUE(process.UnloadAsked());
}

}  // namespace
}  // namespace webaccess::batch
