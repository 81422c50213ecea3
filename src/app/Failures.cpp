#include "app/Conversation.h"
#include "protocol/PageUrl.h"

namespace webaccess::app {

using ports::Control;

// The browser refused the server's certificate, so the request never went
// out: the run stops here, with nothing in flight and no poll to come. What
// the run has stored stays, INQUIRY.QDK included, for a run against a
// server that can be trusted.
void Conversation::CertificateRefused(const std::string& why) {
  ports_.timer.SetInterval(0);
  const std::string text = "The server's certificate was refused: " + why;
  files_.WriteTrace(text);
  SetText(Control::lblDisplay, text);
  stoppedBecause_ = text;
  End(Stage::CertificateRefused);
}

// A page request failed. While a poll is due, the run goes on. Otherwise
// the trace and the status name the page (never the URL, whose query may
// hold a password) and the status code or network error; and unless the
// user can go on in the server's page, the run cannot go on.
void Conversation::RequestFailed(const std::string& url, const std::string& why) {
  if (stage_ == Stage::AwaitingReply) Enter(Stage::Waiting);
  if (Where() != Stage::Idle) return;
  const std::string text = "Page request " + protocol::PageName(url) + " failed: " + why;
  files_.WriteTrace(text);
  SetText(Control::lblDisplay, text);
  if (layout_.Current() == Layout::Expanded) return;
  stoppedBecause_ = text;
  End(Stage::RequestFailed);
}

}  // namespace webaccess::app
