#include "app/Conversation.h"
#include "protocol/ServerCodes.h"

namespace webaccess::app {

using ports::Answer;
using ports::Control;
using protocol::Holds;
using protocol::ReplyKind;

void Conversation::Dispatch() {
  const protocol::Reply reply = protocol::ReadReply(reply_);
  switch (reply.kind) {
    case ReplyKind::LogonPage:
    case ReplyKind::Terminal:
      layout_.Arrange(Layout::Expanded);
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
      layout_.Arrange(Layout::Compact);
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

void Conversation::LogonAcknowledged(const protocol::Reply& reply) {
  // Without "UID=" the reply is not a logon acknowledgement this program
  // understands, and the IDs it has stay.
  if (!reply.userId) return;
  credentials_.UserId.Store(*reply.userId);
  credentials_.CompanyNumber.Store(reply.companyNumber);
  files_.WriteTrace("Logged On OK");
  afterMessages_ = AfterMessages::Count;
  MessageCheck();
}

void Conversation::CountReply(const protocol::Reply& reply) {
  const std::optional<std::string>& value = reply.value;
  if (!value) return;
  if (*value == "DELETE") {
    afterMessages_ = AfterMessages::NextRecord;
    DeleteRequest();
  } else if (*value == "NONE") {
    if (pickUpPending_) {
      pickUpPending_ = false;
      afterMessages_ = AfterMessages::NextRecord;
      ResumeAfterMessages();
    } else {
      StartTimer();
      SetText(Control::lblDisplay, "Not back yet, will try again in 10 seconds.");
      files_.WriteTrace("Records not back yet");
    }
  } else if (*value == "OKAY") {
    if (!pickUpPending_) {
      SetText(Control::lblDisplay, "Records Returned, downloading now.");
      SetEnabled(Control::txtURL, false);
      PickUpResponses();
    } else if (ports_.dialogs.AskYesNo(
                   "RECORDS FOUND",
                   "Records found waiting to download\r\nDo you wish to download them?") ==
               Answer::Yes) {
      SetText(Control::lblDisplay, "Downloading now.");
      SetEnabled(Control::txtURL, false);
      PickUpResponses();
    } else {
      SetEnabled(Control::txtURL, true);
      batchCount_ = 0;
      DeleteRequest();
    }
  }
}

void Conversation::DeleteAcknowledged() {
  if (pickUpPending_) {
    batchCount_ = 0;
    pickUpPending_ = false;
    SendNextRecord();
  } else if (!inquiriesDone_) {
    batchCount_ = 0;
    SendNextRecord();
  } else if (!pickUpOnly_ || completedSeen_) {
    afterMessages_ = AfterMessages::Complete;
    MessageCheck();
  } else {
    afterMessages_ = AfterMessages::NextRecord;
    MessageCheck();
  }
}

void Conversation::ServerErrorCode(const protocol::Reply& reply) {
  if (!reply.value) return;
  const std::string& code = *reply.value;
  SetText(Control::cmdExit, "Exit");
  if (const protocol::ServerCode* known = protocol::FindServerCode(code)) {
    End(Stage::EndedByServerCode);
    files_.WriteTrace(known->trace);
    ports_.dialogs.ShowServerMessage(protocol::WithClosingLines(known->text));
    EndAtOnce(files_, ports_.process);
  }
  ports_.dialogs.ShowCritical(
      "Log On Error", "Unknown command " + code + " sent from VNL Server. Contact Vantorel!");
  files_.WriteTrace("Unknown command " + code);
}

void Conversation::ParseReply(const protocol::Reply& reply) {
  if (!reply.message) {
    ResumeAfterMessages();
    return;
  }
  const std::string& message = *reply.message;
  if (Holds(message, "ABORT")) abortSeen_ = true;
  files_.WriteMessage(message);
  serverMessages_ += message + "\r\n";
  MessageCheck();
}

}  // namespace webaccess::app
