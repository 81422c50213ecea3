// Whole runs of the real main window (web engine browser, libcurl transfer,
// Qt timer) against webaccess-sim on a free loopback port, in a fresh
// working directory, answering the program's questions through its boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>
#include <cstdio>
#include <memory>
#include <thread>

#include "SimProcess.h"
#include "WindowProgram.h"
#include "platform/qt/EngineStart.h"
#include "platform/system/CaFile.h"
#include "programs/ProxyProcess.h"
#include "support/ScratchFiles.h"
#include "support/SimulatedServer.h"
#include "support/TestCertificates.h"
#include "support/WorkFileText.h"

namespace webaccess::window_e2e {
namespace {

using namespace std::chrono_literals;

constexpr const char* kCredentials = "1234567ABCD,ABC123,SECRET";

// The poll interval of these runs. The first poll follows the batch-done
// request by one interval, and the web engine folds a navigation started
// while the page of the one before is still loading into that one, without
// a completion of its own: the run would wait for ever. So the interval
// leaves a busy machine's browser the time to finish the batch-done reply.
constexpr const char* kWaitMs = "300";

// A run is over well within this.
constexpr auto kRunLimit = 60s;

// A test that ends the process by mistake ends it loudly.
void LeaveLoudly(int status) {
  std::fprintf(stderr, "the program ended at once with status %d\n", status);
  std::fflush(stderr);
  std::_Exit(100 + status);
}

using testing::AuditTail;
using testing::ReadFile;
using testing::ResponseLines;

std::string Record(int n, std::size_t length) { return testing::InquiryRecord(n, length); }

// A record as it stands in a request target: the browser escapes blanks.
QString InTarget(const std::string& record) {
  return QString::fromLatin1(record).replace(QLatin1Char(' '), QStringLiteral("%20"));
}

// The requests of a run of one batch from the end of the first message
// check on: the first count, the records, the batch-done request and two
// polls, the download of the response file, its deletion and the last
// message check.
QStringList AfterTheMessages(const QString& batchId, const std::vector<std::string>& sent,
                             const QString& responseFile) {
  QStringList requests{
      QStringLiteral("/Zq3/V7Message.asp?ACTION="),
      QStringLiteral("/Zq3/Reply.asp?ACTION=MSG&REPLY=%3CNONE%3E"),
      QStringLiteral("/Zq3/V7Count.asp?ACTION="),
      QStringLiteral("/Zq3/Reply.asp?ACTION=COUNT&REPLY=NONE"),
  };
  for (const std::string& record : sent) {
    requests << QStringLiteral("/Zq3/V7Main.asp?ACTION=REQ&TheRecord=") + batchId + u'!' +
                    InTarget(record)
             << QStringLiteral("/Zq3/Reply.asp?ACTION=NEXT");
  }
  requests << QStringLiteral("/Zq3/V7Main.asp?ACTION=DONE&Batch=") + batchId
           << QStringLiteral("/Zq3/V7Count.asp?ACTION=")
           << QStringLiteral("/Zq3/Reply.asp?ACTION=COUNT&REPLY=NONE")
           << QStringLiteral("/Zq3/V7Count.asp?ACTION=")
           << QStringLiteral("/Zq3/Reply.asp?ACTION=COUNT&REPLY=OKAY")
           << QStringLiteral("/Zq3/_ffffs/") + responseFile
           << QStringLiteral("/Zq3/V7Delete.asp?ACTION=")
           << QStringLiteral("/Zq3/Reply.asp?ACTION=DELETED")
           << QStringLiteral("/Zq3/V7Message.asp?ACTION=")
           << QStringLiteral("/Zq3/Reply.asp?ACTION=MSG&REPLY=%3CNONE%3E");
  return requests;
}

// Runs a script in the page and gives its result; none after ten seconds.
QVariant RunScript(QWebEnginePage* page, const QString& script) {
  auto result = std::make_shared<std::optional<QVariant>>();
  page->runJavaScript(script, [result](const QVariant& value) { *result = value; });
  WaitUntil([&] { return result->has_value(); }, 10s);
  return result->value_or(QVariant());
}

class WindowRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    started_ = QDateTime::currentDateTime();
  }

  void TearDown() override {
    program_.reset();
    qunsetenv("WEBACCESS_CA_FILE");
    if (sim_ && HasFailure()) std::fprintf(stderr, "%s", qPrintable(sim_->Errors()));
    sim_.reset();
    QDir::setCurrent(QDir::tempPath());
  }

  void WriteInquiry(const std::vector<std::string>& lines) {
    QFile file(QStringLiteral("INQUIRY.QDK"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const std::string& line : lines) file.write(QByteArray::fromStdString(line + "\r\n"));
  }

  // The server, and the environment that points the program at it.
  void StartSim(const QStringList& args) {
    sim_ = std::make_unique<SimProcess>(QStringLiteral(WEBACCESS_SIM_PATH), dir_.path(), args);
    ASSERT_FALSE(sim_->BaseUrl().isEmpty()) << qPrintable(sim_->Errors());
    qputenv("WEBACCESS_MAIN_URL", sim_->BaseUrl().toLatin1());
    qputenv("WEBACCESS_WAIT_MS", kWaitMs);
  }

  // Builds the program, shows its window and answers the order question
  // with Yes.
  void StartProgram(const std::string& commandLine, ModalScript& modals) {
    std::string error;
    const std::optional<protocol::Settings> settings = SettingsFromEnvironment(error);
    ASSERT_TRUE(settings) << error;
    std::string caFile;
    ASSERT_TRUE(platform::ReadCaFileSetting([](const char* name) { return std::getenv(name); },
                                            caFile, error))
        << error;
    program_ = std::make_unique<ui::Program>(*settings, commandLine, &LeaveLoudly);
    program_->TrustCaFile(caFile);
    modals.AnswerBox(QStringLiteral("Yes"));
    program_->Start();
    ASSERT_TRUE(WaitUntil([&] { return modals.Done() == 1; }, 30s))
        << qPrintable(modals.Unexpected().join(u'\n'));
  }

  ui::frmWebAccess& Window() { return program_->Window(); }

  // Waits for the end of the run.
  void WaitForCompletion() {
    ASSERT_TRUE(WaitUntil([&] { return program_->Form().Outcome() == app::RunOutcome::Complete; },
                          kRunLimit))
        << "status: " << qPrintable(Window().lblDisplay()->text())
        << "\nreply field: " << qPrintable(Window().txtURL()->text())
        << "\nbrowser: " << qPrintable(Window().WebBrowser().View()->url().toString())
        << "\nrequests:\n"
        << qPrintable(sim_->Requests().join(u'\n'));
  }

  // The requests the server logged, without the reply to a batch-done
  // request: the first poll may replace that navigation before the browser
  // has followed the server's redirect.
  QStringList Requests() const {
    QStringList requests = sim_->Requests();
    requests.removeIf([](const QString& target) {
      return target.startsWith(QStringLiteral("/Zq3/Reply.asp?ACTION=QUEUED&"));
    });
    return requests;
  }

  // The batch id of the run's record requests: six digits of the time of
  // day within the test's time, the same for every record.
  QString BatchId(const QStringList& requests) {
    static const QRegularExpression record(QStringLiteral("ACTION=REQ&TheRecord=(\\d{6})!"));
    QString id;
    for (const QString& target : requests) {
      const QRegularExpressionMatch match = record.match(target);
      if (!match.hasMatch()) continue;
      if (id.isEmpty()) id = match.captured(1);
      EXPECT_EQ(match.captured(1), id) << qPrintable(target);
    }
    const QDateTime now = QDateTime::currentDateTime();
    if (started_.date() == now.date()) {
      EXPECT_GE(id, started_.toString(QStringLiteral("HHmmss")));
      EXPECT_LE(id, now.toString(QStringLiteral("HHmmss")));
    }
    return id;
  }

  // The audit file, line by line: the date and time the header was read,
  // within the test's time, then the tail.
  void ExpectAudit(const std::vector<std::string>& tails) {
    const std::string audit = ReadFile("AUDIT.QDK");
    EXPECT_TRUE(audit.ends_with("\r\n")) << "text after the last CR LF";
    const std::vector<std::string> lines = testing::SplitLines(audit);
    ASSERT_EQ(lines.size(), tails.size());
    const QDateTime now = QDateTime::currentDateTime();
    for (std::size_t i = 0; i < lines.size(); ++i) {
      SCOPED_TRACE("audit line " + std::to_string(i + 1));
      const QString date = QString::fromStdString(lines[i].substr(0, 8));
      const QString time = QString::fromStdString(lines[i].substr(8, 8));
      if (started_.date() == now.date()) {
        EXPECT_EQ(date, now.toString(QStringLiteral("MM/dd/yy")));
        EXPECT_GE(time, started_.toString(QStringLiteral("HH:mm:ss")));
        EXPECT_LE(time, now.toString(QStringLiteral("HH:mm:ss")));
      }
      EXPECT_EQ(lines[i].substr(16), tails[i]);
    }
  }

  QTemporaryDir dir_;
  QDateTime started_;
  std::unique_ptr<SimProcess> sim_;
  std::unique_ptr<ui::Program> program_;
};

TEST_F(WindowRun, AnOrderOfThreeRunsFromTheQuestionToExit) {
  // The second record has 56 characters and goes with "00" after it.
  const std::vector<std::string> records{Record(1, 60), Record(2, 56), Record(3, 61)};
  const std::vector<std::string> sent{records[0], records[1] + "00", records[2]};
  WriteInquiry(records);
  StartSim({QStringLiteral("--ready-after"), QStringLiteral("1"), QStringLiteral("--message"),
            QStringLiteral("Invoices go out on the first"), QStringLiteral("--message"),
            QStringLiteral("Office closed Monday")});
  ModalScript modals(90s);
  ASSERT_NO_FATAL_FAILURE(StartProgram(kCredentials, modals));
  EXPECT_EQ(modals.Seen()[0].title, QStringLiteral("QUESTION"));
  EXPECT_EQ(modals.Seen()[0].text,
            QStringLiteral("THERE ARE 3 RECORDS BEING ORDERED, IS THIS CORRRECT?"));
  EXPECT_EQ(modals.Seen()[0].buttons, (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
  EXPECT_EQ(Window().lblOrdering()->text(), QStringLiteral("Ordering  3 Records"));
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("Request Records From Vantorel - V1.15"));

  Window().cmdStart()->click();
  EXPECT_FALSE(Window().cmdStart()->isEnabled());
  EXPECT_EQ(Window().cmdExit()->text(), QStringLiteral("STOP"));
  ASSERT_NO_FATAL_FAILURE(WaitForCompletion());
  EXPECT_EQ(Window().cmdExit()->text(), QStringLiteral("Exit"));
  EXPECT_FALSE(Window().cmdStart()->isEnabled());
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("Requesting Record 3"));

  // Exit: Yes to the question, then the server's two messages.
  modals.AnswerBox(QStringLiteral("Yes"));
  modals.Handle(QStringLiteral("frmMessage"), [](QWidget* window) {
    window->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
  });
  Window().cmdExit()->click();
  ASSERT_EQ(modals.Done(), 3) << qPrintable(modals.Unexpected().join(u'\n'));
  EXPECT_EQ(modals.Seen()[1].title, QStringLiteral("Exit Question"));
  EXPECT_EQ(modals.Seen()[1].text, QStringLiteral("Are you sure you wish to exit?"));
  EXPECT_EQ(modals.Seen()[2].title, QStringLiteral("Message From Vantorel"));
  EXPECT_EQ(modals.Seen()[2].text, QStringLiteral("INVOICES GO OUT ON THE FIRST\n"
                                                  "OFFICE CLOSED MONDAY\n\n\n"
                                                  "Press exit to continue."));
  EXPECT_FALSE(Window().isVisible());
  EXPECT_TRUE(modals.Unexpected().isEmpty()) << qPrintable(modals.Unexpected().join(u'\n'));
  program_->CloseWorkFiles();

  // The conversation, request by request, the browser following every
  // redirect to its reply page.
  const QStringList requests = Requests();
  QStringList expected{
      QStringLiteral("/Zq3/V7Begin.asp?ACTION=&Company=1234567&CompPass=ABCD&User=ABC123&"
                     "UserPass=SECRET"),
      QStringLiteral("/Zq3/Reply.asp?ACTION=LOGON&CID=1234567&UID=ABC123"),
      QStringLiteral("/Zq3/V7Message.asp?ACTION="),
      QStringLiteral("/Zq3/Reply.asp?ACTION=MSG&REPLY=1|Invoices%20go%20out%20on%20the%20first"),
      QStringLiteral("/Zq3/V7Message.asp?ACTION="),
      QStringLiteral("/Zq3/Reply.asp?ACTION=MSG&REPLY=2|Office%20closed%20Monday"),
  };
  expected += AfterTheMessages(BatchId(requests), sent, QStringLiteral("1234567ABC123.TXT"));
  EXPECT_EQ(requests, expected);

  // The work files, byte for byte.
  std::string response;
  std::vector<std::string> audit;
  for (int n = 1; n <= 3; ++n) {
    response += ResponseLines(n, sent[n - 1]);
    audit.push_back(AuditTail("ABC123", sent[n - 1]));
  }
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), response);
  ExpectAudit(audit);
  EXPECT_EQ(ReadFile("MESSAGE.QDK"), "INVOICES GO OUT ON THE FIRST\r\nOFFICE CLOSED MONDAY\r\n");
  EXPECT_FALSE(QFile::exists(QStringLiteral("INQUIRY.QDK")));
  const std::string trace = ReadFile("TRACE.QDK");
  EXPECT_NE(trace.find(" Sending Record 3\r\n"), std::string::npos) << trace;
  EXPECT_TRUE(trace.ends_with(" Transactions complete\r\n")) << trace;
}

TEST_F(WindowRun, ARequestTheServerRefusesIsNamedInTheTraceAndTheEnginePageShows) {
  WriteInquiry({Record(1, 60)});
  // The record's request is longer than the server takes.
  StartSim({QStringLiteral("--uri-limit"), QStringLiteral("100")});
  ModalScript modals(90s);
  ASSERT_NO_FATAL_FAILURE(StartProgram(kCredentials, modals));
  Window().cmdStart()->click();
  const std::string named = " Page request V7Main failed: HTTP status 414\r\n";
  ASSERT_TRUE(WaitUntil([&] { return ReadFile("TRACE.QDK").ends_with(named); }, kRunLimit))
      << ReadFile("TRACE.QDK") << qPrintable(sim_->Requests().join(u'\n'));
  // The engine shows the server's answer; nothing more goes out.
  EXPECT_TRUE(Window().WebBrowser().View()->url().path().endsWith(QStringLiteral("V7Main.asp")));
  const qsizetype sent = sim_->Requests().size();
  EXPECT_FALSE(WaitUntil([&] { return sim_->Requests().size() > sent; }, 1s));
  EXPECT_EQ(Window().cmdExit()->text(), QStringLiteral("Exit"));
  EXPECT_TRUE(modals.Unexpected().isEmpty()) << qPrintable(modals.Unexpected().join(u'\n'));
}

TEST_F(WindowRun, WithoutCredentialsTheUserLogsOnInTheServersPage) {
  const std::vector<std::string> records{Record(1, 60), Record(2, 58)};
  WriteInquiry(records);
  StartSim({QStringLiteral("--interactive-logon"), QStringLiteral("--ready-after"),
            QStringLiteral("1")});
  ModalScript modals(90s);
  ASSERT_NO_FATAL_FAILURE(StartProgram("", modals));
  EXPECT_EQ(modals.Seen()[0].text,
            QStringLiteral("THERE ARE 2 RECORDS BEING ORDERED, IS THIS CORRRECT?"));
  EXPECT_LE(Window().Geometry().height, 2200);

  // Start: the server answers with its logon page, which the window shows.
  Window().cmdStart()->click();
  ASSERT_TRUE(WaitUntil(
      [&] { return Window().txtURL()->text().contains(QStringLiteral("/Zq3/V7Login.asp")); }, 30s))
      << qPrintable(sim_->Requests().join(u'\n'));
  QWebEngineView* view = Window().WebBrowser().View();
  EXPECT_EQ(program_->Form().Outcome(), app::RunOutcome::WaitingForUserInServerPage);
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(view->height(), Window().Scale().ToPixelsY(6100));
  EXPECT_EQ(Window().lblDisplay()->text(), QString());
  EXPECT_EQ(RunScript(view->page(), QStringLiteral("document.forms.length")).toInt(), 1);

  // The user fills in the form and presses its button.
  const QVariant submitted = RunScript(view->page(), QStringLiteral(R"((function () {
    const form = document.forms[0];
    form.elements['Company'].value = '7654321';
    form.elements['CompPass'].value = 'WXYZ';
    form.elements['User'].value = 'xyz987';
    form.elements['UserPass'].value = 'pw1234';
    form.querySelector('input[type=submit]').click();
    return true;
  })())"));
  ASSERT_TRUE(submitted.toBool());
  ASSERT_NO_FATAL_FAILURE(WaitForCompletion());
  // Sending records compacted the window again.
  EXPECT_LE(Window().Geometry().height, 2200);

  modals.AnswerBox(QStringLiteral("Yes"));
  Window().cmdExit()->click();
  ASSERT_EQ(modals.Done(), 2) << qPrintable(modals.Unexpected().join(u'\n'));
  EXPECT_EQ(modals.Seen()[1].title, QStringLiteral("Exit Question"));
  EXPECT_FALSE(Window().isVisible());
  EXPECT_TRUE(modals.Unexpected().isEmpty()) << qPrintable(modals.Unexpected().join(u'\n'));
  program_->CloseWorkFiles();

  // The IDs the server gave, upper-cased, name the response file and head
  // the audit lines.
  const QStringList requests = Requests();
  QStringList expected{
      QStringLiteral("/Zq3/V7Begin.asp?ACTION="),
      QStringLiteral("/Zq3/V7Login.asp"),
      QStringLiteral("/Zq3/V7Login.asp?Company=7654321&CompPass=WXYZ&User=xyz987&UserPass=pw1234"),
      QStringLiteral("/Zq3/Reply.asp?ACTION=LOGON&CID=7654321&UID=XYZ987"),
  };
  expected += AfterTheMessages(BatchId(requests), records, QStringLiteral("7654321XYZ987.TXT"));
  EXPECT_EQ(requests, expected);
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), ResponseLines(1, records[0]) + ResponseLines(2, records[1]));
  ExpectAudit({AuditTail("XYZ987", records[0]), AuditTail("XYZ987", records[1])});
  EXPECT_FALSE(QFile::exists(QStringLiteral("INQUIRY.QDK")));
  EXPECT_EQ(ReadFile("TRACE.QDK").find("Logging on to Server"), std::string::npos);
}

// An Exit (Yes) or the close box while the download holds the window: the
// click comes at the first event pass of the conversion, and the program
// leaves only once the responses are stored and the server has answered
// their deletion. Nothing goes out after that.
class WindowLeave : public WindowRun, public ::testing::WithParamInterface<bool> {};

TEST_P(WindowLeave, DuringAHeldDownloadTheResponsesAreStoredFirst) {
  const bool exit = GetParam();
  const std::vector<std::string> records{Record(1, 60), Record(2, 60)};
  WriteInquiry(records);
  StartSim({QStringLiteral("--hold-file-ms"), QStringLiteral("1500")});
  ModalScript modals(90s);
  ASSERT_NO_FATAL_FAILURE(StartProgram(kCredentials, modals));
  if (exit) modals.AnswerBox(QStringLiteral("Yes"));
  Window().cmdStart()->click();
  // The download blocks this thread: another one clicks meanwhile.
  std::thread user([this, exit] {
    const auto until = std::chrono::steady_clock::now() + kRunLimit;
    while (sim_->Requests().filter(QStringLiteral("/_ffffs/")).isEmpty() &&
           std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(20ms);
    }
    QPushButton* button = Window().cmdExit();
    if (exit) {
      QMetaObject::invokeMethod(
          button, [button] { button->click(); }, Qt::QueuedConnection);
    } else {
      QCoreApplication::postEvent(Window().windowHandle(), new QCloseEvent);
    }
  });
  const bool left = WaitUntil([&] { return !Window().isVisible(); }, kRunLimit);
  user.join();
  ASSERT_TRUE(left) << "status: " << qPrintable(Window().lblDisplay()->text());
  EXPECT_EQ(Window().lblDisplay()->text(),
            QStringLiteral("Leaving once the pick-up has finished."));
  EXPECT_TRUE(modals.Unexpected().isEmpty()) << qPrintable(modals.Unexpected().join(u'\n'));
  program_->CloseWorkFiles();

  // The delete request went out once the download was stored, and its
  // answer was the last request.
  const QStringList requests = sim_->Requests();
  ASSERT_GE(requests.size(), 3);
  EXPECT_TRUE(requests[requests.size() - 3].contains(QStringLiteral("/_ffffs/")));
  EXPECT_EQ(requests.mid(requests.size() - 2),
            (QStringList{QStringLiteral("/Zq3/V7Delete.asp?ACTION="),
                         QStringLiteral("/Zq3/Reply.asp?ACTION=DELETED")}));
  EXPECT_EQ(ReadFile("RESPONSE.QDK"), ResponseLines(1, records[0]) + ResponseLines(2, records[1]));
  ExpectAudit({AuditTail("ABC123", records[0]), AuditTail("ABC123", records[1])});
  EXPECT_EQ(QFile::exists(QStringLiteral("INQUIRY.QDK")), !exit);
}

INSTANTIATE_TEST_SUITE_P(Leaving, WindowLeave, ::testing::Values(true, false),
                         [](const auto& param) {
                           return std::string(param.param ? "Exit" : "CloseBox");
                         });

// The server over https, with one certificate per row; the program trusts
// the private authority through WEBACCESS_CA_FILE only.
struct WindowTlsCase {
  const char* name;
  testing::ServerCertificate certificate;
  bool completes;
  const char* why = "";  // what the refusal names
};

void PrintTo(const WindowTlsCase& c, std::ostream* out) { *out << c.name; }

class WindowTls : public WindowRun, public ::testing::WithParamInterface<WindowTlsCase> {
 protected:
  // Starts the server with the certificate and the program, presses Start
  // and waits until the run completes or the certificate is refused.
  void Run(const testing::TestCertificates& certificates, testing::ServerCertificate which) {
    program_.reset();
    StartSim({QStringLiteral("--tls"), QString::fromStdString(certificates.Certificate(which)),
              QString::fromStdString(certificates.Key()), QStringLiteral("--ready-after"),
              QStringLiteral("1")});
    ModalScript modals(90s);
    ASSERT_NO_FATAL_FAILURE(StartProgram(kCredentials, modals));
    Window().cmdStart()->click();
    ASSERT_TRUE(WaitUntil(
        [&] {
          const app::RunOutcome outcome = program_->Form().Outcome();
          return outcome == app::RunOutcome::Complete ||
                 outcome == app::RunOutcome::CertificateRefused;
        },
        kRunLimit))
        << "status: " << qPrintable(Window().lblDisplay()->text());
    EXPECT_TRUE(modals.Unexpected().isEmpty()) << qPrintable(modals.Unexpected().join(u'\n'));
  }

  // The whole order came over the trusted connection.
  void ExpectOrderComplete(const std::vector<std::string>& records) {
    EXPECT_EQ(program_->Form().Outcome(), app::RunOutcome::Complete);
    EXPECT_EQ(sim_->Requests().filter(QStringLiteral("/Zq3/_ffffs/1234567ABC123.TXT")).size(), 1);
    std::string response;
    for (int n = 1; n <= 2; ++n) response += ResponseLines(n, records[n - 1]);
    EXPECT_EQ(ReadFile("RESPONSE.QDK"), response);
  }
};

TEST_P(WindowTls, OnlyATrustedCertificateCarriesTheOrder) {
  const WindowTlsCase& c = GetParam();
  const testing::TestCertificates certificates(
      dir_.filePath(QStringLiteral("certificates")).toStdString());
  qputenv("WEBACCESS_CA_FILE", QByteArray::fromStdString(certificates.Authority()));
  const std::vector<std::string> records{Record(1, 60), Record(2, 60)};
  WriteInquiry(records);
  ASSERT_NO_FATAL_FAILURE(Run(certificates, c.certificate));
  ASSERT_TRUE(sim_->BaseUrl().startsWith(QStringLiteral("https://")));
  if (c.completes) {
    ExpectOrderComplete(records);
    return;
  }

  // The connection ended in the handshake: the server saw no request, and
  // the engine shows no page to go on from.
  EXPECT_EQ(sim_->Requests(), QStringList());
  const QString status = Window().lblDisplay()->text();
  EXPECT_TRUE(status.contains(QLatin1String(c.why))) << qPrintable(status);
  const std::vector<std::string> trace = testing::SplitLines(ReadFile("TRACE.QDK"));
  ASSERT_FALSE(trace.empty());
  EXPECT_TRUE(trace.back().ends_with(status.toStdString())) << trace.back();
  const QString page = RunScript(Window().WebBrowser().View()->page(),
                                 QStringLiteral("document.body ? document.body.innerText : ''"))
                           .toString();
  EXPECT_FALSE(page.contains(QStringLiteral("proceed"), Qt::CaseInsensitive)) << qPrintable(page);
  EXPECT_TRUE(QFile::exists(QStringLiteral("INQUIRY.QDK")));

  // The same order against a server that can be trusted.
  ASSERT_NO_FATAL_FAILURE(Run(certificates, testing::ServerCertificate::Trusted));
  ExpectOrderComplete(records);
}

INSTANTIATE_TEST_SUITE_P(
    Certificates, WindowTls,
    ::testing::Values(
        WindowTlsCase{"Trusted", testing::ServerCertificate::Trusted, true},
        WindowTlsCase{"SelfSigned", testing::ServerCertificate::SelfSigned, false, "self-signed"},
        WindowTlsCase{"OtherHost", testing::ServerCertificate::OtherHost, false, "mismatch"},
        WindowTlsCase{"Expired", testing::ServerCertificate::Expired, false, "expired"}),
    [](const auto& param) { return std::string(param.param.name); });
// A run through the proxy that http_proxy names, or past it. The engine
// never sends loopback addresses to a proxy unless no_proxy lifts that with
// its rule "<-loopback>".
struct ProxyCase {
  const char* name;
  bool proxyUp;          // false: nothing listens on the proxy's port
  const char* noProxy;   // no_proxy
  bool completes;        // else the first request fails
  bool throughTheProxy;  // every request of the run is in the proxy's log
};

void PrintTo(const ProxyCase& c, std::ostream* out) { *out << c.name; }

class WindowProxy : public WindowRun, public ::testing::WithParamInterface<ProxyCase> {
 protected:
  void TearDown() override {
    WindowRun::TearDown();
    qunsetenv("http_proxy");
    qunsetenv("no_proxy");
  }
};

TEST_P(WindowProxy, EveryRequestGoesWhereTheEnvironmentSays) {
  const ProxyCase& row = GetParam();
  const std::vector<std::string> records{Record(1, 60), Record(2, 60)};
  WriteInquiry(records);
  StartSim({});
  std::unique_ptr<programs::ProxyProcess> proxy;
  std::string proxyUrl = programs::RefusingProxyUrl();
  if (row.proxyUp) {
    proxy = std::make_unique<programs::ProxyProcess>(dir_.path().toStdString());
    ASSERT_FALSE(proxy->Url().empty());
    proxyUrl = proxy->Url();
  }
  qputenv("http_proxy", QByteArray::fromStdString(proxyUrl));
  qputenv("no_proxy", row.noProxy);
  ModalScript modals(90s);
  ASSERT_NO_FATAL_FAILURE(StartProgram(kCredentials, modals));
  Window().cmdStart()->click();
  if (row.completes) {
    ASSERT_NO_FATAL_FAILURE(WaitForCompletion());
    EXPECT_EQ(ReadFile("RESPONSE.QDK"),
              ResponseLines(1, records[0]) + ResponseLines(2, records[1]));
    QStringList passed;
    for (const std::string& target : proxy->Requests()) {
      passed << QString::fromStdString(target);
    }
    // As in Requests(): the batch-done reply may be cut short by the first poll.
    passed.removeIf([](const QString& target) {
      return target.startsWith(QStringLiteral("/Zq3/Reply.asp?ACTION=QUEUED&"));
    });
    EXPECT_EQ(passed, row.throughTheProxy ? Requests() : QStringList());
    return;
  }
  // The status and the trace name the failure; nothing reached the server,
  // and the order is still there for the next run.
  const QString failed = QStringLiteral("Page request V7Begin failed: ");
  ASSERT_TRUE(WaitUntil([&] { return Window().lblDisplay()->text().startsWith(failed); }, 30s))
      << qPrintable(Window().lblDisplay()->text());
  const QString status = Window().lblDisplay()->text();
  EXPECT_TRUE(status.contains(QStringLiteral("PROXY"))) << qPrintable(status);
  program_->CloseWorkFiles();
  const std::string trace = ReadFile("TRACE.QDK");
  EXPECT_NE(trace.find(" " + status.toStdString() + "\r\n"), std::string::npos) << trace;
  EXPECT_EQ(trace.find("SECRET"), std::string::npos) << trace;
  EXPECT_TRUE(sim_->Requests().isEmpty());
  EXPECT_TRUE(QFile::exists(QStringLiteral("INQUIRY.QDK")));
}

INSTANTIATE_TEST_SUITE_P(Environment, WindowProxy,
                         ::testing::Values(ProxyCase{.name = "ThroughTheProxy",
                                                     .proxyUp = true,
                                                     .noProxy = "<-loopback>",
                                                     .completes = true,
                                                     .throughTheProxy = true},
                                           ProxyCase{.name = "NoProxyNamesTheHost",
                                                     .proxyUp = true,
                                                     .noProxy = "<-loopback>,127.0.0.1",
                                                     .completes = true,
                                                     .throughTheProxy = false},
                                           ProxyCase{.name = "TheProxyRefuses",
                                                     .proxyUp = false,
                                                     .noProxy = "<-loopback>",
                                                     .completes = false,
                                                     .throughTheProxy = false}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace webaccess::window_e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no toolkit and no screen.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  webaccess::platform::PrepareWebEngine();
  QApplication application(argc, argv);
  // The program's window closes at Exit; the next test builds another.
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
