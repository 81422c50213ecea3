#include "app/MainForm.h"
#include "protocol/PageUrl.h"
#include "protocol/Reply.h"
#include "protocol/ServerCodes.h"

namespace webaccess::app {

using platform::Answer;
using platform::Control;
using protocol::Holds;

void MainForm::WebBrowser_NavigateComplete2() { SetReplyText(platform_.browser.LocationURL()); }

void MainForm::MessageCheck() { NavigateServer("", protocol::kPageMessage, ""); }

void MainForm::DeleteRequest() { NavigateServer("", protocol::kPageDelete, ""); }

void MainForm::txtURL_Change() {
  std::string reply = protocol::NormaliseReply(txtURL_);
  if (reply.empty()) return;

  if (Holds(reply, "V7LOGINPASSWORD.ASP") || Holds(reply, "V7LOGIN.ASP")) {
    ArrangeLayout(2);
  } else if (Holds(reply, "ACTION=EXIT")) {
    ServerErrorCode(reply);
  } else if (Holds(reply, "ACTION=MSG")) {
    if (Holds(reply, "<NONE>")) {
      files_.WriteTrace("No Messages Found");
      ResumeAfterMessages();
    } else {
      files_.WriteTrace("Displaying Message");
      SetText(Control::cmdExit, "Exit");
      ParseReply(reply);
    }
  } else if (Holds(reply, "ACTION=TERMINAL")) {
    ArrangeLayout(2);
  } else if (Holds(reply, "ACTION=NEXT")) {
    ArrangeLayout(1);
    SendNextRecord();
  } else if (Holds(reply, "ACTION=LOGON")) {
    LogonAcknowledged(reply);
  } else if (Holds(reply, "ACTION=COUNT")) {
    CountReply(reply);
  } else if (Holds(reply, "ACTION=DELETED")) {
    DeleteAcknowledged();
  }
}

void MainForm::LogonAcknowledged(const std::string& reply) {
  // Without "UID=" the reply cannot be cut: it is not a logon acknowledgement
  // this program understands, and the IDs it has stay.
  const std::size_t uid = reply.find("UID=");
  if (uid == std::string::npos) return;
  const std::size_t cid = reply.find("CID=");
  globals_.UserId.Store(std::string_view(reply).substr(uid + 4));
  const std::string_view cut = std::string_view(reply).substr(0, uid);
  // Without "CID=" the company number is taken from the cut reply's fourth
  // character on, as a search that found nothing at position 0 would.
  const std::size_t from = cid == std::string::npos ? 3 : cid + 4;
  globals_.CompanyNumber.Store(from < cut.size() ? cut.substr(from) : std::string_view{});
  files_.WriteTrace("Logged On OK");
  run_.ReplyState = 2;
  MessageCheck();
}

void MainForm::CountReply(const std::string& reply) {
  const auto value = protocol::ValueAfterReply(reply);
  if (!value) return;
  if (*value == "DELETE") {
    run_.ReplyState = 1;
    DeleteRequest();
  } else if (*value == "NONE") {
    if (run_.PickUpPending != kFalse) {
      run_.PickUpPending = kFalse;
      run_.ReplyState = 1;
      ResumeAfterMessages();
    } else {
      platform_.timer.SetInterval(settings_.waitIntervalMs);
      SetText(Control::lblDisplay, "Not back yet, will try again in 10 seconds.");
      files_.WriteTrace("Records not back yet");
    }
  } else if (*value == "OKAY") {
    run_.WaitTicks = 0;
    if (run_.PickUpPending == kFalse) {
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
  if (run_.PickUpPending != kFalse) {
    run_.BatchCount = 0;
    run_.PickUpPending = kFalse;
    SendNextRecord();
  } else if (run_.InquiriesDone == kFalse) {
    run_.BatchCount = 0;
    SendNextRecord();
  } else if (run_.PickUpOnly == kFalse || globals_.CompletedSeen != kFalse) {
    run_.ReplyState = 4;
    MessageCheck();
  } else {
    run_.ReplyState = 1;
    MessageCheck();
  }
}

void MainForm::ServerErrorCode(const std::string& reply) {
  const auto value = protocol::ValueAfterReply(reply);
  if (!value) return;
  const std::string code(*value);
  SetText(Control::cmdExit, "Exit");
  if (const protocol::ServerCode* known = protocol::FindServerCode(code)) {
    files_.WriteTrace(known->trace);
    platform_.dialogs.ShowServerMessage(protocol::WithClosingLines(known->text));
    EndAtOnce();
  }
  platform_.dialogs.ShowCritical(
      "Log On Error", "Unknown command " + code + " sent from VNL Server. Contact Vantorel!");
  files_.WriteTrace("Unknown command " + code);
}

void MainForm::ParseReply(std::string& reply) {
  reply = protocol::DecodeSpaces(reply);
  const auto value = protocol::ValueAfterReply(reply);
  if (!value) {
    ResumeAfterMessages();
    return;
  }
  reply = std::string(*value);
  const std::size_t bar = reply.find('|');
  if (bar == std::string::npos) {
    ResumeAfterMessages();
    return;
  }
  const std::string message = reply.substr(bar + 1);
  if (Holds(message, "ABORT")) run_.AbortSeen = kTrue;
  files_.WriteMessage(message);
  globals_.ServerMessages += message + "\r\n";
  MessageCheck();
}

}  // namespace webaccess::app
