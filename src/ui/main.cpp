// webaccess: orders the records listed in INQUIRY.QDK from the server and
// collects the responses into RESPONSE.QDK, all in the working directory.
// The command line carries the credentials:
//   webaccess CCCCCCCPPPP,UUUUUU,WWWWWW
// and the environment may name other servers (WEBACCESS_MAIN_URL and the
// like), another poll interval (WEBACCESS_WAIT_MS) and a file of further
// authorities to trust (WEBACCESS_CA_FILE).

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "BuildSettings.h"
#include "app/CommandLine.h"
#include "os/FolderLock.h"
#include "platform/qt/EngineStart.h"
#include "platform/qt/QtProcess.h"
#include "platform/system/CaFile.h"
#include "protocol/ServerTable.h"
#include "ui/Program.h"

namespace {

constexpr int kUsageStatus = 64;
constexpr int kAlreadyRunningStatus = 8;

// The box of a client that found the folder taken, or could not take it.
int Refuse(QMessageBox::Icon icon, const QString& text, int status) {
  std::fprintf(stderr, "webaccess: %s\n", text.toLocal8Bit().constData());
  QMessageBox box(icon, QStringLiteral("webaccess"), text, QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
  return status;
}

constexpr const char* kHelp =
    "Usage: webaccess [CCCCCCCPPPP,USERID,PASSWD]\n"
    "Orders the records listed in INQUIRY.QDK in the working directory from the\n"
    "server and collects the responses into RESPONSE.QDK, AUDIT.QDK and\n"
    "MESSAGE.QDK. The words, joined by single blanks, carry the credentials:\n"
    "company number (7) and company password (4), user id (6), user password (up\n"
    "to 6). Without them the user logs on in the server's own page.\n"
    "  --help     print this help and exit (only as the first word)\n"
    "  --version  print the version and exit (only as the first word)\n"
    "Every other word is part of the credentials, as given.\n"
    "Environment: WEBACCESS_MAIN_URL, WEBACCESS_ALT_URL, WEBACCESS_TEST_URL,\n"
    "WEBACCESS_IP_URL (the servers), WEBACCESS_WAIT_MS (the poll interval),\n"
    "WEBACCESS_CA_FILE (further authorities to trust), http_proxy, https_proxy,\n"
    "no_proxy. Exit status 8: another client runs in this folder; 64: a bad setting.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace webaccess;

  // --help and --version stand alone as the first word; any other word
  // belongs to the credentials.
  if (argc > 1 && std::string_view(argv[1]) == "--help") {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (argc > 1 && std::string_view(argv[1]) == "--version") {
    std::printf("webaccess %s\n", build::kVersion);
    return 0;
  }

  // Taken before the toolkit sees the arguments, so that nothing of the
  // credentials is read as a toolkit option.
  const std::string commandLine = app::JoinArguments(argc, argv);
  // From here on the process list shows no password.
  app::HidePasswords({argv + 1, argv + argc});

  std::string error;
  const auto getenv = [](const char* name) { return std::getenv(name); };
  const std::optional<protocol::Settings> settings = protocol::LoadSettings(getenv, error);
  std::string caFile;
  if (!settings || !platform::ReadCaFileSetting(getenv, caFile, error)) {
    std::fprintf(stderr, "webaccess: %s\n", error.c_str());
    return kUsageStatus;
  }

  webaccess::platform::PrepareWebEngine();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("webaccess"));
  // The installed desktop entry gives the window its name and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("webaccess"));

  // The folder is this client's from here to the end of the process. A
  // second client started in it says so and leaves before it touches any
  // file.
  const os::FolderLock lock = os::FolderLock::Take();
  if (lock.state() == os::FolderLock::State::HeldByOther) {
    QString text = QStringLiteral("The client is already running in this folder");
    if (lock.holder() > 0) text += QStringLiteral(" (process %1)").arg(lock.holder());
    return Refuse(QMessageBox::Warning, text + QLatin1Char('.'), kAlreadyRunningStatus);
  }
  if (lock.state() == os::FolderLock::State::Failed) {
    return Refuse(QMessageBox::Critical, QString::fromLocal8Bit(lock.error()),
                  platform::QtProcess::kFailStatus);
  }

  // The program closes the work files when it goes.
  ui::Program program(*settings, commandLine);
  program.TrustCaFile(caFile);
  program.Start();  // the first showing activates the form
  return QApplication::exec();
}
