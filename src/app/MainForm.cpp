#include "app/MainForm.h"

#include "BuildSettings.h"
#include "app/CommandLine.h"
#include "files/InquiryFile.h"
#include "files/WorkFileError.h"

namespace webaccess::app {

using ports::Control;

MainForm::MainForm(ports::Platform& ports, protocol::Settings settings, std::string commandLine)
    : ports_(ports),
      settings_(std::move(settings)),
      commandLine_(std::move(commandLine)),
      files_(ports.clock),
      layout_(ports.view, ports.screen, ports.browser),
      conversation_(ports, files_, layout_, settings_.waitIntervalMs) {
  ports_.browser.SetHandlers(
      [this](const std::string& url) { WebBrowser_NavigateComplete2(url); },
      [this](const std::string& url, const std::string& why) {
        WebBrowser_RequestFailed(url, why);
      },
      [this](const std::string& why) { WebBrowser_CertificateRefused(why); });
  ports_.timer.SetTickHandler([this] { tmrWait_Timer(); });
}

void MainForm::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const files::WorkFileError& error) {
    CloseWorkFiles();
    ports_.process.Fail(error.what());
  }
}

void MainForm::CloseWorkFiles() noexcept { files_.channels().CloseAllQuietly(); }

void MainForm::Form_Load() {
  Guarded([this] {
    layout_.Arrange(Layout::Compact);
    ports_.view.SetText(Control::lblDisplay, "Press start to begin transfer.");
    files_.StartTrace();
    files_.WriteTrace(std::string("Starting program with version ") + build::kVersion);
    Credentials credentials;
    TakeCredentials(commandLine_, credentials);
    conversation_.UseCredentials(credentials);
  });
}

void MainForm::cmdStart_Click() {
  Guarded([this] {
    ports_.view.SetEnabled(Control::cmdStart, false);
    ports_.browser.SetVisible(true);
    files_.ResetWorkFiles();
    // The caption changes before the logon goes out: its reply may end the
    // run inside the sending call, and the run's end sets "Exit".
    ports_.view.SetText(Control::cmdExit, "STOP");
    conversation_.Start();
  });
}

std::vector<std::string> MainForm::RequestItems() {
  try {
    return files::ReadRequestItems(files_.channels());
  } catch (const files::WorkFileError&) {
    return {};
  }
}

void MainForm::mnu_Pick_Up_Click() {
  Guarded([this] { PickUpOnly(); });
}

void MainForm::PickUpOnly() {
  conversation_.PickUpOnly();
  ports_.view.SetText(Control::lblOrdering, "Just Picking Up");
  orderCount_ = 0;
}

void MainForm::SelectServer(const protocol::Server& server) {
  Guarded([&] {
    ports_.browser.SetVisible(true);
    conversation_.UseServer(server.baseUrl);
    ports_.view.SetText(Control::lblServer, server.label);
  });
}

void MainForm::mnuMain_Click() { SelectServer(settings_.servers.main); }
void MainForm::mnuAlt_Click() { SelectServer(settings_.servers.alternate); }
void MainForm::mnuTestServer_Click() { SelectServer(settings_.servers.test); }
void MainForm::mnuIP_Click() { SelectServer(settings_.servers.ip); }

// Once the main window is unloaded, no event of its browser or its timer
// reaches the conversation.
void MainForm::WebBrowser_NavigateComplete2(const std::string& url) {
  if (!unloaded_) Guarded([&] { conversation_.ReplyArrived(url); });
}

void MainForm::WebBrowser_RequestFailed(const std::string& url, const std::string& why) {
  if (!unloaded_) Guarded([&] { conversation_.RequestFailed(url, why); });
}

void MainForm::WebBrowser_CertificateRefused(const std::string& why) {
  if (!unloaded_) Guarded([&] { conversation_.CertificateRefused(why); });
}

void MainForm::tmrWait_Timer() {
  if (!unloaded_) Guarded([this] { conversation_.TimerTicked(); });
}

}  // namespace webaccess::app
