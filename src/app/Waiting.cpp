#include "app/MainForm.h"

namespace webaccess::app {

using platform::Answer;
using platform::Control;

namespace {
// The question comes at the 61st tick without progress: a little over ten
// minutes at the 10-second interval.
constexpr std::int16_t kPatientTicks = 60;
}  // namespace

void MainForm::tmrWait_Timer() {
  // A tick that falls due while the question is open is dropped: never two
  // questions on top of each other.
  if (waitQuestionOpen_) return;
  // A tick that a sender set going after the run stopped sends nothing.
  if (RunStopped()) {
    platform_.timer.SetInterval(0);
    return;
  }
  Increment(run_.WaitTicks);
  if (run_.WaitTicks > kPatientTicks) {
    waitQuestionOpen_ = true;
    const Answer answer =
        platform_.dialogs.AskYesNo(kWaitQuestionTitle,
                                   "IT'S BEEN OVER TEN MINUTES AND NOTHING HAS COME BACK YET,\r\n"
                                   "YES to continue waiting or NO to stop.");
    waitQuestionOpen_ = false;
    if (answer != Answer::Yes) return;
    run_.WaitTicks = 0;
  }
  platform_.timer.SetInterval(0);
  SetEnabled(Control::txtURL, true);
  Increment(run_.PollTicks);
  if (run_.PollTicks <= 2) {
    RequestCount();
    return;
  }
  run_.PollTicks = 0;
  run_.ReplyState = AfterMessages::Count;
  MessageCheck();
}

void MainForm::ResumeAfterMessages() {
  if (run_.AbortSeen) {
    ended_ = RunOutcome::AbortedByServer;
    files_.WriteTrace("Aborted");
    SetEnabled(Control::txtURL, true);
    SetText(Control::lblDisplay, "Program Aborted by Web Server, Press Exit");
    return;
  }
  switch (run_.ReplyState) {
    case AfterMessages::NextRecord:
      SendNextRecord();
      break;
    case AfterMessages::Count:
      RequestCount();
      break;
    case AfterMessages::Complete:
      ended_ = RunOutcome::Complete;
      files_.WriteTrace("Transactions complete");
      SetText(Control::cmdExit, "Exit");
      SetText(Control::lblDisplay, "Tranfers complete, Press Exit To Continue.");
      break;
    case AfterMessages::Nothing:
      break;
  }
}

}  // namespace webaccess::app
