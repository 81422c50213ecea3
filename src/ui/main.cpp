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
#include "protocol/ServerTable.h"
#include "ui/Program.h"

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

  // The program closes the work files when it goes.
  ui::Program program(*settings, commandLine);
  program.Start();  // the first showing activates the form
  return QApplication::exec();
}
