#include "ui/Program.h"

namespace webaccess::ui {

Program::Program(const protocol::Settings& settings, const std::string& commandLine,
                 platform::QtProcess::Leave leave, platform::TwipsScale scale)
    : window_(scale),
      process_(&window_, leave),
      dialogs_(&window_, [this](const std::string& text) { window_.ShowServerMessage(text); }),
      platform_{window_.WebBrowser(),
                transfer_,
                window_.tmrWait(),
                pump_,
                dialogs_,
                screen_,
                clock_,
                window_,
                process_},
      form_(platform_, settings, commandLine),
      events_(form_) {
  const platform::EngineCookies& cookies = window_.WebBrowser().Cookies();
  transfer_.SetCookieSource([&cookies](const std::string& url) { return cookies.HeaderFor(url); });
  window_.Attach(&events_);
  // The core decides what a failure means; the engine's page shows the rest.
  window_.WebBrowser().SetFailureHandler([this](const std::string& page, const std::string& why) {
    form_.PageRequestFailed(page, why);
  });
}

Program::~Program() {
  form_.CloseWorkFiles();
  window_.Attach(nullptr);
}

void Program::TrustCaFile(const std::string& caFile) {
  transfer_.SetCaFile(caFile);
  window_.WebBrowser().SetCaFile(caFile);
}

void Program::Start() {
  form_.Form_Load();
  window_.ShowCentred();
}

void Program::CloseWorkFiles() { form_.CloseWorkFiles(); }

}  // namespace webaccess::ui
