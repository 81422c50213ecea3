#include "app/Conversation.h"
#include "protocol/PageUrl.h"

namespace webaccess::app {

using ports::Control;

// The server's certificate was refused, by the browser or the transfer, so
// the request never went out: the run stops here, with nothing in flight, no
// poll to come and nothing more sent. What the run has stored stays,
// INQUIRY.QDK included, for a run against a server that can be trusted.
void Conversation::CertificateRefused(const std::string& why) {
  ports_.timer.SetInterval(0);
  CannotGoOn("The server's certificate was refused: " + why, Stage::CertificateRefused);
  PickUpEnded();
}

// A page request failed. While a poll is due, or once the run has ended,
// the run goes on as it stands. Otherwise the trace and the status name the
// page (never the URL, whose query may hold a password) and the status code
// or network error; and unless the user can go on in the server's page, the
// run cannot go on. A delete request that failed ends its pick-up: the
// responses are on disk and the server keeps them.
void Conversation::RequestFailed(const std::string& url, const std::string& why) {
  const bool deleting = stage_ == Stage::Deleting;
  if (stage_ == Stage::AwaitingReply || deleting) Enter(Stage::Waiting);
  if (Where() == Stage::Idle) {
    const std::string text = "Page request " + protocol::PageName(url) + " failed: " + why;
    if (layout_.Current() == Layout::Expanded) {
      files_.WriteTrace(text);
      SetText(Control::lblDisplay, text);
    } else {
      CannotGoOn(text);
    }
  }
  if (deleting) PickUpEnded();
}

void Conversation::CannotGoOn(const std::string& text, Stage end) {
  files_.WriteTrace(text);
  SetText(Control::lblDisplay, text);
  SetText(Control::cmdExit, "Exit");
  stoppedBecause_ = text;
  End(end);
}

}  // namespace webaccess::app
