// webaccess: orders the records listed in INQUIRY.QDK from the server and
// collects the responses into RESPONSE.QDK, all in the working directory.
// The command line carries the credentials:
//   webaccess CCCCCCCPPPP,UUUUUU,WWWWWW
// and the environment may name other servers (WEBACCESS_MAIN_URL and the
// like) and another poll interval (WEBACCESS_WAIT_MS).

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "platform/Platform.h"
#include "platform/curl/CurlTransfer.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtProcess.h"
#include "platform/qt/QtScreen.h"
#include "platform/system/SystemClock.h"
#include "protocol/ServerTable.h"
#include "ui/MainFormEvents.h"
#include "ui/frmWebAccess.h"

namespace {

constexpr int kUsageStatus = 64;

}  // namespace

int main(int argc, char** argv) {
  using namespace webaccess;

  // Taken before the toolkit sees the arguments, so that nothing of the
  // credentials is read as a toolkit option.
  const std::string commandLine = app::JoinArguments(argc, argv);

  std::string error;
  const std::optional<protocol::Settings> settings =
      protocol::LoadSettings([](const char* name) { return std::getenv(name); }, error);
  if (!settings) {
    std::fprintf(stderr, "webaccess: %s\n", error.c_str());
    return kUsageStatus;
  }

  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("webaccess"));

  ui::frmWebAccess window;
  platform::CurlTransfer transfer;
  const platform::EngineCookies& cookies = window.WebBrowser().Cookies();
  transfer.SetCookieSource([&cookies](const std::string& url) { return cookies.HeaderFor(url); });
  platform::QtEventPump pump;
  platform::QtScreen screen;
  platform::SystemClock clock;
  platform::QtProcess process(&window);
  platform::QtDialogs dialogs(
      &window, [&window](const std::string& text) { window.ShowServerMessage(text); });
  platform::Platform platform{window.WebBrowser(),
                              transfer,
                              window.tmrWait(),
                              pump,
                              dialogs,
                              screen,
                              clock,
                              window,
                              process};

  app::MainForm form(platform, *settings, commandLine);
  ui::MainFormEvents events(form);
  window.Attach(&events);

  form.Form_Load();
  window.ShowCentred();  // the first showing activates the form
  const int status = QApplication::exec();
  form.CloseWorkFiles();
  window.Attach(nullptr);
  return status;
}
