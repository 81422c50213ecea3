#include "app/Conversation.h"

#include <cstdlib>
#include <utility>

#include "protocol/PageUrl.h"

namespace webaccess::app {

using ports::Control;

Conversation::Conversation(ports::Platform& ports, files::WorkFiles& files, WindowLayout& layout,
                           int waitIntervalMs)
    : ports_(ports), files_(files), layout_(layout), waitIntervalMs_(waitIntervalMs) {}

void Conversation::Start() {
  serverMessages_.clear();
  SendLogon();
}

void Conversation::ReplyArrived(const std::string& url) {
  // The reply to a pick-up's delete request, whatever it says, ends the
  // pick-up; a close asked for meanwhile goes on in its place.
  if (stage_ == Stage::Deleting && PickUpEnded()) return;
  if (stage_ == Stage::AwaitingReply || stage_ == Stage::Deleting) Enter(Stage::Waiting);
  // The reply field: only a change is dispatched.
  if (url == reply_) return;
  reply_ = url;
  ports_.view.SetText(Control::txtURL, url);
  Dispatch();
}

bool Conversation::HoldClose(std::function<void()> close) {
  if (stage_ != Stage::PickingUp && stage_ != Stage::Deleting) return false;
  close_ = std::move(close);
  return true;
}

void Conversation::WindowClosed() {
  windowClosed_ = true;
  ports_.timer.SetInterval(0);
}

bool Conversation::Stopped() const { return windowClosed_ || stage_ == Stage::CertificateRefused; }

void Conversation::NavigateServer(std::string_view action, std::string_view page,
                                  std::string_view extra, Stage awaiting) {
  if (Stopped()) return;
  // Clearing the reply field is a change the dispatcher ignores.
  if (!reply_.empty()) {
    reply_.clear();
    ports_.view.SetText(Control::txtURL, reply_);
  }
  SetEnabled(Control::txtURL, true);
  Enter(awaiting);
  ports_.browser.Navigate(protocol::BuildPageUrl(serverBase_, page, action, extra));
  ports_.pump.ProcessPendingEvents();
}

void Conversation::StartTimer() {
  if (!Stopped()) ports_.timer.SetInterval(waitIntervalMs_);
}

void Conversation::SetText(Control control, const std::string& text) {
  ports_.view.SetText(control, text);
}

void Conversation::SetEnabled(Control control, bool enabled) {
  ports_.view.SetEnabled(control, enabled);
}

bool Conversation::Ended() const { return stage_ >= Stage::Complete; }

void Conversation::Enter(Stage stage) {
  if (!Ended()) stage_ = stage;
}

void Conversation::End(Stage stage) { stage_ = stage; }

void EndAtOnce(files::WorkFiles& files, ports::Process& process) {
  files.channels().CloseAllQuietly();
  process.EndAtOnce();
  std::abort();  // EndAtOnce does not return
}

Conversation::Stage Conversation::Where() const {
  if (stage_ == Stage::Waiting && ports_.timer.Interval() == 0) return Stage::Idle;
  return stage_;
}

RunOutcome Conversation::Outcome() const {
  switch (Where()) {
    case Stage::Complete:
      return RunOutcome::Complete;
    case Stage::AbortedByServer:
      return RunOutcome::AbortedByServer;
    case Stage::EndedByServerCode:
      return RunOutcome::EndedByServerCode;
    case Stage::CertificateRefused:
      return RunOutcome::CertificateRefused;
    case Stage::RequestFailed:
      return RunOutcome::CannotGoOn;
    default:
      break;
  }
  if (layout_.Current() == Layout::Expanded) return RunOutcome::WaitingForUserInServerPage;
  return Where() == Stage::Idle ? RunOutcome::CannotGoOn : RunOutcome::Running;
}

const char* StageName(Conversation::Stage stage) {
  using Stage = Conversation::Stage;
  switch (stage) {
    case Stage::NotStarted:
      return "NotStarted";
    case Stage::AwaitingReply:
      return "AwaitingReply";
    case Stage::Waiting:
      return "Waiting";
    case Stage::PickingUp:
      return "PickingUp";
    case Stage::Deleting:
      return "Deleting";
    case Stage::Idle:
      return "Idle";
    case Stage::Complete:
      return "Complete";
    case Stage::AbortedByServer:
      return "AbortedByServer";
    case Stage::EndedByServerCode:
      return "EndedByServerCode";
    case Stage::CertificateRefused:
      return "CertificateRefused";
    case Stage::RequestFailed:
      return "RequestFailed";
  }
  return "?";
}

}  // namespace webaccess::app
