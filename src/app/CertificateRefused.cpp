#include "app/MainForm.h"

namespace webaccess::app {

using platform::Control;

// The browser refused the server's certificate, so the request never went
// out: the run stops here, with nothing in flight and no poll to come. What
// the run has stored stays, INQUIRY.QDK included, for a run against a
// server that can be trusted.
void MainForm::WebBrowser_CertificateRefused(const std::string& why) {
  platform_.timer.SetInterval(0);
  const std::string text = "The server's certificate was refused: " + why;
  files_.WriteTrace(text);
  SetText(Control::lblDisplay, text);
  ended_ = RunOutcome::CertificateRefused;
}

}  // namespace webaccess::app
