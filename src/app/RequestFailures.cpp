#include "app/MainForm.h"

namespace webaccess::app {

using platform::Control;

void MainForm::WebBrowser_CertificateRefused(const std::string& why) {
  StopForRefusedCertificate(why);
}

// The server's certificate was refused, so the request never went out: the
// run stops here, with nothing in flight and no poll to come. What the run
// has stored stays, INQUIRY.QDK included, for a run against a server that
// can be trusted.
void MainForm::StopForRefusedCertificate(const std::string& why) {
  platform_.timer.SetInterval(0);
  const std::string text = "The server's certificate was refused: " + why;
  files_.WriteTrace(text);
  SetText(Control::lblDisplay, text);
  ended_ = RunOutcome::CertificateRefused;
}

// A page request failed and nothing more is scheduled, so the run cannot go
// on: the trace and the status name the page (never the URL, whose query may
// hold a password) and the status code or network error.
void MainForm::PageRequestFailed(const std::string& page, const std::string& why) {
  Guarded([&] {
    const std::string text = "Page request " + page + " failed: " + why;
    files_.WriteTrace(text);
    SetText(Control::lblDisplay, text);
  });
}

}  // namespace webaccess::app
