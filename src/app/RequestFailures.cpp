#include "app/MainForm.h"

namespace webaccess::app {

using platform::Control;

void MainForm::WebBrowser_CertificateRefused(const std::string& why) {
  StopForRefusedCertificate(why);
}

// The server's certificate was refused, so the request never went out: the
// run stops here, with nothing in flight, no poll to come and nothing more
// sent (a sender that set the timer after the refusal came inside its pass
// included). What the run has stored stays, INQUIRY.QDK included, for a run
// against a server that can be trusted.
void MainForm::StopForRefusedCertificate(const std::string& why) {
  platform_.timer.SetInterval(0);
  const std::string text = "The server's certificate was refused: " + why;
  files_.WriteTrace(text);
  SetText(Control::lblDisplay, text);
  SetText(Control::cmdExit, "Exit");
  ended_ = RunOutcome::CertificateRefused;
  if (pickUp_ != PickUp::None) PickUpEnded();
}

// Only while the run goes on and nothing more is scheduled: a failure after
// the run has ended (the page that completed it, an abort, an error code)
// or while a poll is still to come would overwrite what the status says.
// The trace and the status name the page (never the URL, whose query may
// hold a password) and the status code or network error.
void MainForm::PageRequestFailed(const std::string& page, const std::string& why) {
  Guarded([&] {
    if (!unloaded_ && ended_ == RunOutcome::Running && platform_.timer.Interval() == 0) {
      RequestCannotGoOn(page, why);
    }
    // A delete request that failed ends its pick-up: the responses are on
    // disk and the server keeps them.
    if (pickUp_ != PickUp::None) PickUpEnded();
  });
}

void MainForm::RequestCannotGoOn(const std::string& page, const std::string& why) {
  requestFailure_ = "Page request " + page + " failed: " + why;
  files_.WriteTrace(requestFailure_);
  SetText(Control::lblDisplay, requestFailure_);
  SetText(Control::cmdExit, "Exit");
}

}  // namespace webaccess::app
