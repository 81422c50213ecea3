// webaccess-perf-window MODE ...: the window program's figures, for
// scripts/perf.sh. Run in a working directory that holds INQUIRY.QDK, with
// WEBACCESS_MAIN_URL (and WEBACCESS_WAIT_MS) pointing at webaccess-sim.
//   startup            the window program as main() builds it; prints the
//                      milliseconds from process start (PERF_T0_NS, the
//                      launcher's system clock in ns, or else the kernel's
//                      start time) to the main window's first Show and
//                      first Paint event
//   navigate N URL     N navigations of one web engine browser to URL;
//                      prints the median, 95th percentile and mean in ms
//   run LIMIT          a whole order: Yes to the question, Start, until the
//                      run is complete (at most LIMIT seconds)
//   idle SECONDS       Yes, Start, then SECONDS of the event loop; prints
//                      "started" once Start has been pressed
// run and idle end with the peak resident memory (VmHWM) of this process
// and of each of its descendants, and its proportional share now (Pss: the
// pages it shares with the others counted once over all of them), read from
// /proc just before the end.
#include <time.h>
#include <unistd.h>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "WindowProgram.h"
#include "platform/qt/EngineStart.h"
#include "platform/qt/QtWebEngineBrowser.h"
#include "platform/qt/Twips.h"

namespace {

using namespace std::chrono_literals;
using webaccess::ui::Program;
using webaccess::window_e2e::ModalScript;
using webaccess::window_e2e::WaitUntil;

void LeaveLoudly(int status) {
  std::fprintf(stderr, "the program ended at once with status %d\n", status);
  std::fflush(stderr);
  std::_Exit(100 + status);
}

// Milliseconds since the process started.
double SinceProcessStart() {
  if (const char* t0 = std::getenv("PERF_T0_NS")) {
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    return static_cast<double>(now - std::atoll(t0)) / 1e6;
  }
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long long startTicks = 0;
  for (int i = 3; i <= 22 && fields >> field; ++i) {
    if (i == 22) startTicks = std::atoll(field.c_str());
  }
  timespec boot{};
  clock_gettime(CLOCK_BOOTTIME, &boot);
  const double nowMs =
      static_cast<double>(boot.tv_sec) * 1e3 + static_cast<double>(boot.tv_nsec) / 1e6;
  return nowMs - static_cast<double>(startTicks) * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Records the first Show and the first Paint of a widget.
class FirstShowing final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && showMs < 0) showMs = SinceProcessStart();
    if (event->type() == QEvent::Paint && paintMs < 0) paintMs = SinceProcessStart();
    return QObject::eventFilter(watched, event);
  }
  double showMs = -1;
  double paintMs = -1;
};

// What a web engine process is for: the value of its --type= argument
// ("zygote", "renderer", "gpu-process", ...); "-" for other processes.
std::string ProcessType(const std::string& pid) {
  std::ifstream cmdline("/proc/" + pid + "/cmdline");
  for (std::string argument; std::getline(cmdline, argument, '\0');) {
    if (argument.starts_with("--type=")) return argument.substr(7);
  }
  return "-";
}

// A field in kB from a /proc file of the process ("VmHWM:" in status, "Pss:"
// in smaps_rollup); -1 when it is not there.
long ProcKb(const std::string& pid, const char* file, std::string_view field) {
  std::ifstream in("/proc/" + pid + "/" + file);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with(field)) return std::atol(line.c_str() + field.size());
  }
  return -1;
}

// This process and its descendants, with each one's VmHWM.
void PrintPeakMemory() {
  std::map<std::string, std::string> parentOf;
  std::map<std::string, std::string> nameOf;
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool numeric = false;
    entry.toLongLong(&numeric);
    if (!numeric) continue;
    std::ifstream stat("/proc/" + entry.toStdString() + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto open = text.find('(');
    const auto close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    std::istringstream rest(text.substr(close + 2));
    std::string state;
    std::string parent;
    rest >> state >> parent;
    parentOf[entry.toStdString()] = parent;
    nameOf[entry.toStdString()] = text.substr(open + 1, close - open - 1);
  }
  std::vector<std::string> tree{std::to_string(getpid())};
  for (std::size_t i = 0; i < tree.size(); ++i) {
    for (const auto& [pid, parent] : parentOf) {
      if (parent == tree[i]) tree.push_back(pid);
    }
  }
  long sum = 0;
  long pssSum = 0;
  for (const std::string& pid : tree) {
    const long kb = ProcKb(pid, "status", "VmHWM:");
    const long pss = ProcKb(pid, "smaps_rollup", "Pss:");
    sum += std::max(kb, 0L);
    pssSum += std::max(pss, 0L);
    std::printf("vmhwm_kb %ld pss_kb %ld pid %s %s type %s\n", kb, pss, pid.c_str(),
                nameOf[pid].c_str(), ProcessType(pid).c_str());
  }
  std::printf("vmhwm_kb_sum %ld pss_kb_sum %ld processes %zu\n", sum, pssSum, tree.size());
  std::fflush(stdout);
}

std::unique_ptr<Program> StartProgram(ModalScript& modals) {
  std::string error;
  const auto settings = webaccess::window_e2e::SettingsFromEnvironment(error);
  if (!settings) {
    std::fprintf(stderr, "settings: %s\n", error.c_str());
    return nullptr;
  }
  auto program = std::make_unique<Program>(*settings, "1234567PERF,PERF01,PASSWD", &LeaveLoudly);
  modals.AnswerBox(QStringLiteral("Yes"));
  program->Start();
  if (!WaitUntil([&] { return modals.Done() == 1; }, 30s)) {
    std::fprintf(stderr, "no order question\n");
    return nullptr;
  }
  return program;
}

int Startup() {
  FirstShowing showing;
  ModalScript modals(60s);
  std::string error;
  const auto settings = webaccess::window_e2e::SettingsFromEnvironment(error);
  if (!settings) return 64;
  Program program(*settings, "1234567PERF,PERF01,PASSWD", &LeaveLoudly);
  program.Window().installEventFilter(&showing);
  modals.AnswerBox(QStringLiteral("Yes"));
  program.Start();
  WaitUntil([&] { return showing.paintMs >= 0 && modals.Done() == 1; }, 30s);
  std::printf("show_ms %.1f paint_ms %.1f\n", showing.showMs, showing.paintMs);
  return showing.paintMs >= 0 ? 0 : 1;
}

int Navigate(int count, const QString& url) {
  QWidget parent;
  webaccess::platform::QtWebEngineBrowser browser(&parent, webaccess::platform::TwipsScale(96, 96));
  // The completion ends the wait at once: a wait that polls would add its
  // own period to every figure.
  QEventLoop loop;
  int completed = 0;
  browser.SetHandlers(
      [&completed, &loop](const std::string&) {
        ++completed;
        loop.quit();
      },
      nullptr, nullptr);
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
  const std::string target = url.toStdString();
  const auto navigate = [&] {
    limit.start(30000);
    browser.Navigate(target);
    return loop.exec() == 0;
  };
  // One navigation first, outside the figures: the engine starts its
  // processes on the first load.
  if (!navigate()) return 1;
  std::vector<double> ms;
  for (int i = 0; i < count; ++i) {
    QElapsedTimer timer;
    timer.start();
    if (!navigate()) return 1;
    ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  double total = 0;
  for (double m : ms) total += m;
  std::sort(ms.begin(), ms.end());
  const auto at = [&ms](double q) {
    return ms[std::min(ms.size() - 1,
                       static_cast<std::size_t>(q * static_cast<double>(ms.size())))];
  };
  std::printf("navigations %zu median_ms %.3f p95_ms %.3f mean_ms %.3f last_url %s\n", ms.size(),
              at(0.5), at(0.95), total / static_cast<double>(ms.size()),
              browser.LocationURL().c_str());
  browser.Quit();
  return 0;
}

int Run(int limitSeconds) {
  ModalScript modals(std::chrono::seconds(limitSeconds + 60));
  auto program = StartProgram(modals);
  if (!program) return 1;
  QElapsedTimer timer;
  timer.start();
  program->Window().cmdStart()->click();
  const bool complete =
      WaitUntil([&] { return program->Form().Outcome() == webaccess::app::RunOutcome::Complete; },
                std::chrono::seconds(limitSeconds));
  std::printf("run_complete %d seconds %.3f\n", complete ? 1 : 0,
              static_cast<double>(timer.elapsed()) / 1e3);
  PrintPeakMemory();
  program.reset();
  return complete ? 0 : 1;
}

int Idle(int seconds) {
  std::unique_ptr<Program> program;
  {
    // The modal script polls every 20 ms while it lives; it is gone before
    // the idle time starts, so that only the program's own work is counted.
    ModalScript modals(30s);
    program = StartProgram(modals);
    if (!program) return 1;
  }
  program->Window().cmdStart()->click();
  std::printf("started\n");
  std::fflush(stdout);
  QEventLoop loop;
  QTimer::singleShot(std::chrono::seconds(seconds), &loop, [&loop] { loop.quit(); });
  loop.exec();
  std::printf("status %s\n", program->Window().lblDisplay()->text().toStdString().c_str());
  PrintPeakMemory();
  program.reset();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  webaccess::platform::PrepareWebEngine();
  QApplication application(argc, argv);
  const QStringList args = QApplication::arguments();
  const QString mode = args.value(1);
  if (mode == QStringLiteral("startup")) return Startup();
  if (mode == QStringLiteral("navigate") && args.size() == 4)
    return Navigate(args[2].toInt(), args[3]);
  if (mode == QStringLiteral("run") && args.size() == 3) return Run(args[2].toInt());
  if (mode == QStringLiteral("idle") && args.size() == 3) return Idle(args[2].toInt());
  std::fprintf(
      stderr, "usage: webaccess-perf-window startup | navigate N URL | run LIMIT | idle SECONDS\n");
  return 64;
}
