// The window program's web engine keeps nothing on disk: after a whole run
// whose server sets a session cookie, and after the program itself has been
// started and killed, no cookie, cache, history or storage file of the
// browser is left under the home and XDG directories or in the working
// directory. This process, and the program it starts, get a fresh home.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

#include "SimProcess.h"
#include "WindowProgram.h"
#include "programs/Child.h"
#include "programs/Orders.h"
#include "support/WorkFileText.h"

namespace webaccess::reliability {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using programs::Child;
using programs::EntriesUnder;
using programs::PollUntil;

constexpr const char* kCredentials = "1234567PW9Z,ABC123,S3CR3T";
constexpr const char* kXdgDirs[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                    "XDG_STATE_HOME", "XDG_RUNTIME_DIR"};

// This process's home, made before the toolkit starts.
fs::path& Home() {
  static fs::path home;
  return home;
}

// A fresh home with its XDG directories under it, as environment settings.
std::map<std::string, std::string> FreshHome(const fs::path& home) {
  std::map<std::string, std::string> environment{{"HOME", home.string()}};
  for (const char* variable : kXdgDirs) {
    const fs::path dir = home / (std::string("xdg-") + variable);
    fs::create_directories(dir);
    fs::permissions(dir, fs::perms::owner_all);  // what a runtime directory must be
    environment[variable] = dir.string();
  }
  return environment;
}

// Names that a browser profile gives its stored data.
bool IsBrowserData(std::string path) {
  for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* part :
       {"cookie", "cache", "history", "storage", "indexeddb", "visited", "web data", "login data",
        "network persistent state", "transportsecurity", "service worker", "blob", "gpucache",
        "favicons", "top sites", "qtwebengine"}) {
    if (path.find(part) != std::string::npos) return true;
  }
  return false;
}

// The XDG directories of a fresh home, as they are before anything runs.
bool MadeByTheTest(const std::string& entry) {
  for (const char* variable : kXdgDirs) {
    if (entry == std::string("xdg-") + variable + "/") return true;
  }
  return false;
}

// Lists what lies there (for the record) and checks that none of it is
// browser data.
void ExpectNoBrowserData(const fs::path& root, const std::string& what) {
  std::vector<std::string> entries = EntriesUnder(root);
  std::erase_if(entries, MadeByTheTest);
  std::cout << what << " holds " << entries.size() << " entries\n";
  for (const std::string& entry : entries) {
    std::cout << "  " << entry;
    if (!entry.ends_with('/')) std::cout << " (" << fs::file_size(root / entry) << " bytes)";
    std::cout << "\n";
    EXPECT_FALSE(IsBrowserData(entry)) << what << ": " << entry;
  }
}

void WriteInquiry(const fs::path& dir) {
  programs::WriteInquiry(dir, {testing::InquiryRecord(1), testing::InquiryRecord(2)});
}

void LeaveLoudly(int status) {
  std::fprintf(stderr, "the program ended at once with status %d\n", status);
  std::_Exit(100 + status);
}

TEST(WindowProfile, AWholeRunWithASessionCookieLeavesNoBrowserData) {
  QTemporaryDir work;
  ASSERT_TRUE(work.isValid());
  ASSERT_TRUE(QDir::setCurrent(work.path()));
  WriteInquiry(work.path().toStdString());
  window_e2e::SimProcess sim(QStringLiteral(WEBACCESS_SIM_PATH), work.path(),
                             {QStringLiteral("--require-cookie")});
  ASSERT_FALSE(sim.BaseUrl().isEmpty()) << qPrintable(sim.Errors());
  qputenv("WEBACCESS_MAIN_URL", sim.BaseUrl().toLatin1());
  // A poll interval that leaves a busy machine's engine the time to finish
  // the batch-done request's navigation before the first poll replaces it.
  qputenv("WEBACCESS_WAIT_MS", "300");
  std::string error;
  const auto settings = window_e2e::SettingsFromEnvironment(error);
  ASSERT_TRUE(settings) << error;

  {
    window_e2e::ModalScript modals(60s);
    ui::Program program(*settings, kCredentials, &LeaveLoudly);
    modals.AnswerBox(QStringLiteral("Yes"));
    program.Start();
    ASSERT_TRUE(window_e2e::WaitUntil([&] { return modals.Done() == 1; }, 30s));
    program.Window().cmdStart()->click();
    ASSERT_TRUE(window_e2e::WaitUntil(
        [&] {
          return program.Window().lblDisplay()->text() ==
                 QStringLiteral("Tranfers complete, Press Exit To Continue.");
        },
        60s))
        << qPrintable(program.Window().lblDisplay()->text()) << "\n"
        << qPrintable(sim.Requests().join(u'\n'));
    modals.AnswerBox(QStringLiteral("Yes"));
    program.Window().cmdExit()->click();
    ASSERT_EQ(modals.Done(), 2) << qPrintable(modals.Unexpected().join(u'\n'));
    program.CloseWorkFiles();
  }
  // Let the engine finish whatever it does when its profile goes.
  window_e2e::WaitUntil([] { return false; }, 1s);

  // The session cookie was set and sent: no page was sent back to the logon.
  const QStringList requests = sim.Requests();
  EXPECT_TRUE(requests.filter(QStringLiteral("V7Login")).isEmpty())
      << qPrintable(requests.join(u'\n'));
  EXPECT_EQ(requests.filter(QStringLiteral("_ffffs/")).size(), 1);
  ExpectNoBrowserData(Home(), "the home directory");
  ExpectNoBrowserData(work.path().toStdString(), "the working directory");
  QDir::setCurrent(QDir::tempPath());
}

TEST(WindowProfile, TheProgramStartedAndKilledLeavesNoBrowserData) {
  QTemporaryDir work;
  ASSERT_TRUE(work.isValid());
  const fs::path dir = work.path().toStdString();
  const fs::path home = dir / "home";
  const fs::path workDir = dir / "work";
  fs::create_directories(workDir);
  WriteInquiry(workDir);
  window_e2e::SimProcess sim(QStringLiteral(WEBACCESS_SIM_PATH), QString::fromStdString(workDir),
                             {QStringLiteral("--require-cookie")});
  ASSERT_FALSE(sim.BaseUrl().isEmpty()) << qPrintable(sim.Errors());
  Child::Options options;
  options.name = "window";
  options.environment = FreshHome(home);
  options.environment["WEBACCESS_MAIN_URL"] = sim.BaseUrl().toStdString();
  options.environment["QT_QPA_PLATFORM"] = "offscreen";
  options.environment["QTWEBENGINE_DISABLE_SANDBOX"] = "1";
  Child program(workDir, {WEBACCESS_WINDOW_PATH, kCredentials}, options);
  ASSERT_TRUE(program.Started());
  // It has started its run's trace and asks about the order; the engine is
  // up behind the question.
  ASSERT_TRUE(
      PollUntil([&] { return fs::exists(workDir / "TRACE.QDK") || program.Wait(0ms); }, 30s));
  EXPECT_FALSE(program.Wait(3s)) << "it ended by itself\n" << program.Err();
  program.Kill();
  // The engine's helper processes went with it.
  EXPECT_TRUE(PollUntil([&] { return ::kill(-program.Pid(), 0) != 0 && errno == ESRCH; }, 5s));
  for (const std::string& printed : {program.Out(), program.Err()}) {
    EXPECT_EQ(printed.find("PW9Z"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("S3CR3T"), std::string::npos) << printed;
  }
  ExpectNoBrowserData(home, "the program's home directory");
  ExpectNoBrowserData(workDir, "the program's working directory");
}

}  // namespace
}  // namespace webaccess::reliability

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  namespace fs = std::filesystem;
  using webaccess::reliability::Home;
  Home() = fs::temp_directory_path() / ("webaccess-profile-home-" + std::to_string(::getpid()));
  fs::remove_all(Home());
  fs::create_directories(Home());
  for (const auto& [variable, value] : webaccess::reliability::FreshHome(Home())) {
    ::setenv(variable.c_str(), value.c_str(), 1);
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  int status = 0;
  {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    status = RUN_ALL_TESTS();
  }
  if (status == 0) fs::remove_all(Home());
  return status;
}
