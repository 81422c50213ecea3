#include "ui/Program.h"

#include <QLabel>

#include "files/WorkFileError.h"

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
  window_.WebBrowser().SetFailureHandler([this](const std::string& url, const std::string& why) {
    // The address without its query: the logon request carries the passwords.
    const std::string text = "Request failed (" + why + "): " + url.substr(0, url.find('?'));
    window_.lblDisplay()->setText(QString::fromStdString(text));
    try {
      form_.WorkFiles().WriteTrace(text);
    } catch (const files::WorkFileError&) {
      // The run's next write to the trace file reports the failure.
    }
  });
  window_.Attach(&events_);
}

Program::~Program() {
  form_.CloseWorkFiles();
  window_.Attach(nullptr);
}

void Program::Start() {
  form_.Form_Load();
  window_.ShowCentred();
}

void Program::CloseWorkFiles() { form_.CloseWorkFiles(); }

}  // namespace webaccess::ui
