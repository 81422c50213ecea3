#include "app/Conversation.h"

namespace webaccess::app {

using ports::Answer;
using ports::Control;

namespace {
// The question comes at the 61st tick without progress: a little over ten
// minutes at the 10-second interval.
constexpr std::int16_t kPatientTicks = 60;
}  // namespace

void Conversation::TimerTicked() {
  // A tick that falls due while the question is open is dropped: never two
  // questions on top of each other.
  if (waitQuestionOpen_) return;
  Increment(waitTicks_);
  if (waitTicks_ > kPatientTicks) {
    waitQuestionOpen_ = true;
    const Answer answer =
        ports_.dialogs.AskYesNo(kWaitQuestionTitle,
                                "IT'S BEEN OVER TEN MINUTES AND NOTHING HAS COME BACK YET,\r\n"
                                "YES to continue waiting or NO to stop.");
    waitQuestionOpen_ = false;
    if (answer != Answer::Yes) return;
    waitTicks_ = 0;
  }
  ports_.timer.SetInterval(0);
  SetEnabled(Control::txtURL, true);
  Increment(pollTicks_);
  if (pollTicks_ <= 2) {
    RequestCount();
    return;
  }
  pollTicks_ = 0;
  afterMessages_ = AfterMessages::Count;
  MessageCheck();
}

void Conversation::ResumeAfterMessages() {
  if (abortSeen_) {
    End(Stage::AbortedByServer);
    files_.WriteTrace("Aborted");
    SetEnabled(Control::txtURL, true);
    SetText(Control::lblDisplay, "Program Aborted by Web Server, Press Exit");
    return;
  }
  switch (afterMessages_) {
    case AfterMessages::NextRecord:
      SendNextRecord();
      break;
    case AfterMessages::Count:
      RequestCount();
      break;
    case AfterMessages::Complete:
      End(Stage::Complete);
      files_.WriteTrace("Transactions complete");
      SetText(Control::cmdExit, "Exit");
      SetText(Control::lblDisplay, "Tranfers complete, Press Exit To Continue.");
      break;
    case AfterMessages::Nothing:
      break;
  }
}

}  // namespace webaccess::app
