// window_screens: takes the pictures of docs/screens on the display it is
// given (docs/screens/take.sh runs it under Xvfb and a window manager):
//   request-list.png    the request list over an order of twelve records,
//                       before the run
//   server-message.png  the server message window at Exit, after a run in
//                       which the server sent two messages
// It runs the program as its main() builds it, against webaccess-sim on a
// free loopback port, in a fresh working directory; each picture is the part
// of the screen that holds the main window and the window in question,
// taken with ImageMagick's import.
//   window_screens OUTPUT_DIR
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "SimProcess.h"
#include "WindowProgram.h"
#include "platform/qt/EngineStart.h"

namespace webaccess::window_e2e {
namespace {

using namespace std::chrono_literals;

constexpr int kMargin = 12;  // pixels of screen around the windows in a picture

void LeaveLoudly(int status) {
  std::fprintf(stderr, "window_screens: the program ended at once with status %d\n", status);
  std::fflush(stderr);
  std::_Exit(100 + status);
}

std::string Pad(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

// Twelve inquiry records: kind, name, licence number, state, date of birth
// and the ordering office's reference.
QByteArray Inquiry() {
  static const struct {
    char kind;
    const char* name;
    const char* licence;
    const char* born;
  } people[] = {
      {'D', "ANDERSON KAREN", "D4410273", "19710304"},
      {'D', "BAKER THOMAS", "B2298841", "19650917"},
      {'V', "CHEN LI", "7KJM214", "19880112"},
      {'D', "DIAZ ROBERTO", "D9031177", "19790630"},
      {'D', "EVANS SARAH", "E1184520", "19920221"},
      {'V', "FOSTER MICHAEL", "5WRT882", "19580809"},
      {'D', "GARCIA MARIA", "G7730165", "19830415"},
      {'D', "HUGHES DAVID", "H5521904", "19690128"},
      {'V', "IBARRA ELENA", "8PLN407", "19950703"},
      {'D', "JOHNSON PAUL", "J3307718", "19610511"},
      {'D', "KIM SOO-JIN", "K6642093", "19870926"},
      {'D', "LOPEZ ANA", "L2209356", "19740218"},
  };
  QByteArray bytes;
  int n = 0;
  for (const auto& person : people) {
    const std::string record = std::string(1, person.kind) + Pad(person.name, 19) +
                               Pad(person.licence, 15) + "CA" + person.born +
                               Pad("ORD" + std::to_string(4100 + ++n), 15);
    bytes += QByteArray::fromStdString(record + "\r\n");
  }
  return bytes;
}

// Takes the part of the screen that holds both windows into `path`.
bool Shoot(const QWidget* main, const QWidget* window, const QString& path) {
  QRect area = main->frameGeometry().united(window->frameGeometry());
  area.adjust(-kMargin, -kMargin, kMargin, kMargin);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    area &= screen->geometry();
  }
  QProcess import;
  const QString crop = QStringLiteral("%1x%2+%3+%4")
                           .arg(area.width())
                           .arg(area.height())
                           .arg(area.x())
                           .arg(area.y());
  import.start(QStringLiteral("import"),
               {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"), crop,
                QStringLiteral("+repage"), path});
  // The windows go on drawing while import reads the screen.
  QEventLoop loop;
  QObject::connect(&import, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&import, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
  QTimer::singleShot(20000, &loop, &QEventLoop::quit);
  if (import.state() != QProcess::NotRunning) loop.exec();
  const bool taken = import.state() == QProcess::NotRunning &&
                     import.exitStatus() == QProcess::NormalExit && import.exitCode() == 0;
  std::fprintf(stderr, "window_screens: %s %s\n", taken ? "took" : "could not take",
               qPrintable(path));
  if (import.state() != QProcess::NotRunning) import.kill();
  return taken;
}

int Run(const QString& output) {
  QTemporaryDir work;
  if (!work.isValid() || !QDir::setCurrent(work.path())) return 2;
  QFile inquiry(QStringLiteral("INQUIRY.QDK"));
  if (!inquiry.open(QIODevice::WriteOnly) || inquiry.write(Inquiry()) < 0) return 2;
  inquiry.close();

  SimProcess sim(
      QStringLiteral(WEBACCESS_SIM_PATH), work.path(),
      {QStringLiteral("--ready-after"), QStringLiteral("1"), QStringLiteral("--message"),
       QStringLiteral("Invoices for March are mailed on the 5th"), QStringLiteral("--message"),
       QStringLiteral("Records office closed Monday May 27 for Memorial Day")});
  if (sim.BaseUrl().isEmpty()) {
    std::fprintf(stderr, "window_screens: the server did not start: %s\n",
                 qPrintable(sim.Errors()));
    return 2;
  }
  qputenv("WEBACCESS_MAIN_URL", sim.BaseUrl().toLatin1());
  qputenv("WEBACCESS_WAIT_MS", "300");
  std::string error;
  const std::optional<protocol::Settings> settings = SettingsFromEnvironment(error);
  if (!settings) {
    std::fprintf(stderr, "window_screens: %s\n", error.c_str());
    return 2;
  }

  ui::Program program(*settings, "1234567ABCD,ABC123,SECRET", &LeaveLoudly);
  ui::frmWebAccess& window = program.Window();
  ModalScript modals(120s);
  bool listTaken = false;
  bool messageTaken = false;
  const QDir out(output);

  // Yes to the order, then the request list from the Options menu.
  modals.AnswerBox(QStringLiteral("Yes"));
  modals.Handle(
      QStringLiteral("frmLook"),
      [&](QWidget* look) {
        listTaken = Shoot(&window, look, out.filePath(QStringLiteral("request-list.png")));
        look->findChild<QPushButton*>(QStringLiteral("cmdExit"))->click();
      },
      1500ms);
  program.Start();
  if (!WaitUntil([&] { return modals.Done() == 1; }, 30s)) return 3;
  WaitUntil([] { return false; }, 500ms);  // the window settles after the question
  window.findChild<QAction*>(QStringLiteral("mnuLook"))->trigger();

  // The run, then Exit: Yes, and the server's messages.
  window.cmdStart()->click();
  if (!WaitUntil([&] { return program.Form().Outcome() == app::RunOutcome::Complete; }, 60s)) {
    std::fprintf(stderr, "window_screens: the run did not complete: %s\n",
                 qPrintable(window.lblDisplay()->text()));
    return 3;
  }
  modals.AnswerBox(QStringLiteral("Yes"));
  modals.Handle(
      QStringLiteral("frmMessage"),
      [&](QWidget* message) {
        messageTaken = Shoot(&window, message, out.filePath(QStringLiteral("server-message.png")));
        message->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
      },
      1500ms);
  window.cmdExit()->click();
  program.CloseWorkFiles();
  for (const QString& unexpected : modals.Unexpected()) {
    std::fprintf(stderr, "window_screens: unexpected %s\n", qPrintable(unexpected));
  }
  return listTaken && messageTaken ? 0 : 1;
}

}  // namespace
}  // namespace webaccess::window_e2e

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_screens OUTPUT_DIR\n");
    return 64;
  }
  const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  webaccess::platform::PrepareWebEngine();
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  return webaccess::window_e2e::Run(output);
}
