#include "app/MainForm.h"

#include <cstdlib>

#include "app/CommandLine.h"
#include "app/WindowLayout.h"
#include "files/WorkFileError.h"

namespace webaccess::app {

using platform::Control;

MainForm::MainForm(platform::Platform& platform, protocol::Settings settings,
                   std::string commandLine)
    : platform_(platform),
      settings_(std::move(settings)),
      commandLine_(std::move(commandLine)),
      files_(platform.clock),
      caption_(kDesignedCaption) {
  // Once the main window is unloaded, no event reaches the conversation.
  platform_.browser.SetNavigateCompleteHandler([this] {
    if (!unloaded_) Guarded([this] { WebBrowser_NavigateComplete2(); });
  });
  platform_.browser.SetCertificateRefusedHandler([this](const std::string& why) {
    if (!unloaded_) Guarded([this, &why] { WebBrowser_CertificateRefused(why); });
  });
  platform_.timer.SetTickHandler([this] {
    if (!unloaded_) Guarded([this] { tmrWait_Timer(); });
  });
}

bool MainForm::RunStopped() const { return unloaded_ || ended_ == RunOutcome::CertificateRefused; }

void MainForm::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const files::WorkFileError& error) {
    CloseWorkFiles();
    platform_.process.Fail(error.what());
  }
}

void MainForm::CloseWorkFiles() noexcept { files_.channels().CloseAllQuietly(); }

void MainForm::EndAtOnce() {
  CloseWorkFiles();
  platform_.process.EndAtOnce();
  std::abort();  // EndAtOnce does not return
}

void MainForm::SetText(Control control, const std::string& text) {
  if (control == Control::Caption) caption_ = text;
  platform_.view.SetText(control, text);
}

void MainForm::SetEnabled(Control control, bool enabled) {
  platform_.view.SetEnabled(control, enabled);
}

void MainForm::SetReplyText(const std::string& text) {
  if (text == txtURL_) return;
  txtURL_ = text;
  platform_.view.SetText(Control::txtURL, text);
  txtURL_Change();
}

void MainForm::ArrangeLayout(Layout mode) {
  layout_ = mode;
  const LayoutChange change =
      app::ArrangeLayout(mode, platform_.view.Geometry(), platform_.screen.WidthTwips(),
                         platform_.screen.HeightTwips());
  if (change.browserHeightSet) platform_.browser.SetHeight(kBrowserExpandedHeight);
  platform_.view.SetGeometry(change.window);
}

RunOutcome MainForm::Outcome(bool nothingUnderWay) const {
  if (ended_ != RunOutcome::Running) return ended_;
  if (layout_ == Layout::Expanded) return RunOutcome::WaitingForUserInServerPage;
  return nothingUnderWay ? RunOutcome::CannotGoOn : RunOutcome::Running;
}

void MainForm::Form_Load() {
  Guarded([this] {
    ArrangeLayout(Layout::Compact);
    run_.InquiriesDone = false;
    run_.AbortSeen = false;
    run_.PickUpPending = true;
    globals_.CompletedSeen = false;
    run_.PollTicks = 0;
    run_.WaitTicks = 0;
    run_.BatchCount = 0;
    SetText(Control::lblDisplay, "Press start to begin transfer.");
    files_.StartTrace();
    files_.WriteTrace(std::string("Starting program with version ") + kVersion);
    TakeCredentials(commandLine_, globals_);
  });
}

}  // namespace webaccess::app
