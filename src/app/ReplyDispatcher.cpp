#include "app/MainForm.h"
#include "protocol/PageUrl.h"
#include "protocol/ServerCodes.h"

namespace webaccess::app {

using platform::Answer;
using platform::Control;
using protocol::Holds;
using protocol::ReplyKind;

void MainForm::WebBrowser_NavigateComplete2() {
  // The reply to a pick-up's delete request, whatever it says, ends the
  // pick-up; an exit or close asked for meanwhile goes on in its place.
  if (pickUp_ == PickUp::Deleting && PickUpEnded()) return;
  SetReplyText(platform_.browser.LocationURL());
}

void MainForm::MessageCheck() { NavigateServer("", protocol::kPageMessage, ""); }

void MainForm::DeleteRequest() { NavigateServer("", protocol::kPageDelete, ""); }

void MainForm::txtURL_Change() {
  const protocol::Reply reply = protocol::ReadReply(txtURL_);
  switch (reply.kind) {
    case ReplyKind::LogonPage:
    case ReplyKind::Terminal:
      ArrangeLayout(Layout::Expanded);
      break;
    case ReplyKind::ServerCode:
      ServerErrorCode(reply);
      break;
    case ReplyKind::NoMoreMessages:
      files_.WriteTrace("No Messages Found");
      ResumeAfterMessages();
      break;
    case ReplyKind::Message:
      files_.WriteTrace("Displaying Message");
      SetText(Control::cmdExit, "Exit");
      ParseReply(reply);
      break;
    case ReplyKind::Next:
      ArrangeLayout(Layout::Compact);
      SendNextRecord();
      break;
    case ReplyKind::Logon:
      LogonAcknowledged(reply);
      break;
    case ReplyKind::Count:
      CountReply(reply);
      break;
    case ReplyKind::Deleted:
      DeleteAcknowledged();
      break;
    case ReplyKind::None:
      break;
  }
}

void MainForm::LogonAcknowledged(const protocol::Reply& reply) {
  // Without "UID=" the reply is not a logon acknowledgement this program
  // understands, and the IDs it has stay.
  if (!reply.userId) return;
  globals_.UserId.Store(*reply.userId);
  globals_.CompanyNumber.Store(reply.companyNumber);
  files_.WriteTrace("Logged On OK");
  run_.ReplyState = AfterMessages::Count;
  MessageCheck();
}

void MainForm::CountReply(const protocol::Reply& reply) {
  const std::optional<std::string>& value = reply.value;
  if (!value) return;
  if (*value == "DELETE") {
    run_.ReplyState = AfterMessages::NextRecord;
    DeleteRequest();
  } else if (*value == "NONE") {
    if (run_.PickUpPending) {
      run_.PickUpPending = false;
      run_.ReplyState = AfterMessages::NextRecord;
      ResumeAfterMessages();
    } else {
      platform_.timer.SetInterval(settings_.waitIntervalMs);
      SetText(Control::lblDisplay, "Not back yet, will try again in 10 seconds.");
      files_.WriteTrace("Records not back yet");
    }
  } else if (*value == "OKAY") {
    if (!run_.PickUpPending) {
      SetText(Control::lblDisplay, "Records Returned, downloading now.");
      SetEnabled(Control::txtURL, false);
      PickUpResponses();
    } else if (platform_.dialogs.AskYesNo(
                   "RECORDS FOUND",
                   "Records found waiting to download\r\nDo you wish to download them?") ==
               Answer::Yes) {
      SetText(Control::lblDisplay, "Downloading now.");
      SetEnabled(Control::txtURL, false);
      PickUpResponses();
    } else {
      SetEnabled(Control::txtURL, true);
      run_.BatchCount = 0;
      DeleteRequest();
    }
  }
}

void MainForm::DeleteAcknowledged() {
  if (run_.PickUpPending) {
    run_.BatchCount = 0;
    run_.PickUpPending = false;
    SendNextRecord();
  } else if (!run_.InquiriesDone) {
    run_.BatchCount = 0;
    SendNextRecord();
  } else if (!run_.PickUpOnly || globals_.CompletedSeen) {
    run_.ReplyState = AfterMessages::Complete;
    MessageCheck();
  } else {
    run_.ReplyState = AfterMessages::NextRecord;
    MessageCheck();
  }
}

void MainForm::ServerErrorCode(const protocol::Reply& reply) {
  if (!reply.value) return;
  const std::string& code = *reply.value;
  SetText(Control::cmdExit, "Exit");
  if (const protocol::ServerCode* known = protocol::FindServerCode(code)) {
    ended_ = RunOutcome::EndedByServerCode;
    files_.WriteTrace(known->trace);
    platform_.dialogs.ShowServerMessage(protocol::WithClosingLines(known->text));
    EndAtOnce();
  }
  platform_.dialogs.ShowCritical(
      "Log On Error", "Unknown command " + code + " sent from VNL Server. Contact Vantorel!");
  files_.WriteTrace("Unknown command " + code);
}

void MainForm::ParseReply(const protocol::Reply& reply) {
  if (!reply.message) {
    ResumeAfterMessages();
    return;
  }
  const std::string& message = *reply.message;
  if (Holds(message, "ABORT")) run_.AbortSeen = true;
  files_.WriteMessage(message);
  globals_.ServerMessages += message + "\r\n";
  MessageCheck();
}

}  // namespace webaccess::app
