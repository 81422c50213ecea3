// The browser adapter through the real web engine, against a server on the
// loopback interface: what the core is handed at the end of each navigation.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <QWidget>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "LoopbackServer.h"
#include "platform/curl/CurlTransfer.h"
#include "platform/qt/EngineStart.h"
#include "platform/qt/QtWebEngineBrowser.h"
#include "protocol/PageUrl.h"
#include "support/TestCertificates.h"

using webaccess::platform::CurlTransfer;
using webaccess::platform::QtWebEngineBrowser;
using webaccess::platform::TwipsScale;
using webaccess::protocol::PageName;
using webaccess::testing::LoopbackServer;
using webaccess::testing::ServerCertificate;
using webaccess::testing::TestCertificates;

namespace {

constexpr int kWaitMs = 20000;
// The host of the certificate for another host, resolved to 127.0.0.1.
constexpr const char* kOtherHost = "other.invalid";
// Time given to a completion that should not come.
constexpr int kQuietMs = 700;

void Page(httplib::Response& response) {
  response.set_content("<html><body><p>Vantorel</p></body></html>", "text/html");
}

}  // namespace

class QtWebEngineBrowserTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void init();
  void cleanup();
  void finalUrlIsTheUrlTheServerWrote_data();
  void finalUrlIsTheUrlTheServerWrote();
  void completesFromTheEventLoopOnly();
  void requestUrlReachesTheServerAsBuilt();
  void failedLoadCompletesWithTheUrlTried();
  void aFailedLoadIsToldWithItsPageAndWhy_data();
  void aFailedLoadIsToldWithItsPageAndWhy();
  void downloadCarriesTheEngineCookies();
  void aSecureCookieStaysOnHttps();
  void quitLeavesLoadsGoing();
  void aNewNavigationReplacesAPageStillLoading();
  void heightAndVisibility();

 private:
  // Navigates and waits for the first completion, then a while for more.
  void NavigateAndSettle(const std::string& url);

  LoopbackServer server_;
  std::mutex lock_;
  std::string lastTarget_;
  std::string lastCookie_;
  std::map<std::string, std::string> cookieSeen_;  // by scheme
  std::atomic<int> slowRequests_{0};
  std::atomic<int> heldPages_{0};
  QWidget* host_ = nullptr;
  QtWebEngineBrowser* browser_ = nullptr;
  int completions_ = 0;
  QStringList failures_;  // "page: why"
};

void QtWebEngineBrowserTest::initTestCase() {
  auto redirect = [](const char* pattern, int status, std::string to) {
    return std::make_tuple(pattern, status, std::move(to));
  };
  httplib::Server& http = server_.Http();
  const std::string base = server_.Base();
  for (const auto& [pattern, status, to] : {
           redirect("/Zq3/V7Message.asp", 302, "/Zq3/V7Message.asp?ACTION=MSG&REPLY=<NONE>"),
           redirect("/Zq3/V7Busy.asp", 302,
                    "/Zq3/V7Message.asp?ACTION=MSG&REPLY=7|SERVER%20IS%20BUSY"),
           redirect("/Zq3/V7Percent.asp", 302, "/Zq3/V7Message.asp?ACTION=MSG&REPLY=3|50%%20DONE"),
           redirect("/Zq3/V7Main.asp", 302, "/chain/2"),
           redirect("/chain/2", 301, "/chain/3"),
           redirect("/chain/3", 303, "/chain/4"),
           redirect("/chain/4", 307, "/Zq3/V7Main.asp?ACTION=NEXT"),
       }) {
    http.Get(pattern, [to = base + to, status = status](const httplib::Request& request,
                                                        httplib::Response& response) {
      if (request.has_param("REPLY") || request.get_param_value("ACTION") == "NEXT") {
        Page(response);  // where the redirects end
        return;
      }
      response.status = status;
      response.set_header("Location", to);
    });
  }
  http.Get("/Zq3/V7Long.asp", [](const httplib::Request&, httplib::Response& response) {
    response.status = 414;
    response.set_content("<html><body><h1>414 URI Too Long</h1></body></html>", "text/html");
  });
  http.Get("/plain.asp",
           [](const httplib::Request&, httplib::Response& response) { Page(response); });
  http.Get("/echo.asp", [this](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard<std::mutex> guard(lock_);
    lastTarget_ = request.get_param_value("TheRecord");
    Page(response);
  });
  http.Get("/logon.asp", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Set-Cookie", "ASPSESSIONID=S3SS10N; path=/");
    Page(response);
  });
  http.Get("/logoff.asp", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Set-Cookie", "ASPSESSIONID=; path=/; Max-Age=0");
    Page(response);
  });
  http.Get(R"(/Zq3/_ffffs/.*)",
           [this](const httplib::Request& request, httplib::Response& response) {
             std::lock_guard<std::mutex> guard(lock_);
             lastCookie_ = request.get_header_value("Cookie");
             response.set_content("LINE\r\n", "text/plain");
           });
  http.Get("/cookie.asp", [this](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard<std::mutex> guard(lock_);
    cookieSeen_["http"] = request.get_header_value("Cookie");
    Page(response);
  });
  http.Get("/slow.asp", [this](const httplib::Request&, httplib::Response& response) {
    ++slowRequests_;
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    Page(response);
  });
  // A redirect to a page that is slow to come.
  http.Get("/arriving.asp", [this](const httplib::Request&, httplib::Response& response) {
    response.status = 302;
    response.set_header("Location", server_.Base() + "/held.asp");
  });
  http.Get("/held.asp", [this](const httplib::Request&, httplib::Response& response) {
    ++heldPages_;
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    Page(response);
  });
  server_.Start();
}

void QtWebEngineBrowserTest::cleanupTestCase() {}

void QtWebEngineBrowserTest::init() {
  host_ = new QWidget;
  host_->resize(800, 600);
  browser_ = new QtWebEngineBrowser(host_, TwipsScale(96, 96));
  completions_ = 0;
  failures_.clear();
  browser_->SetHandlers([this](const std::string&) { ++completions_; },
                        [this](const std::string& url, const std::string& why) {
                          failures_ << QString::fromStdString(PageName(url) + ": " + why);
                        },
                        nullptr);
}

void QtWebEngineBrowserTest::cleanup() {
  delete browser_;
  delete host_;
}

void QtWebEngineBrowserTest::NavigateAndSettle(const std::string& url) {
  const int before = completions_;
  browser_->Navigate(url);
  QTRY_VERIFY_WITH_TIMEOUT(completions_ > before, kWaitMs);
  QTest::qWait(kQuietMs);
}

void QtWebEngineBrowserTest::finalUrlIsTheUrlTheServerWrote_data() {
  QTest::addColumn<QString>("request");
  QTest::addColumn<QString>("reply");
  const QString base = QString::fromStdString(server_.Base());
  QTest::newRow("no messages") << base + "/Zq3/V7Message.asp?ACTION="
                               << base + "/Zq3/V7Message.asp?ACTION=MSG&REPLY=<NONE>";
  QTest::newRow("message with escaped blanks")
      << base + "/Zq3/V7Busy.asp?ACTION="
      << base + "/Zq3/V7Message.asp?ACTION=MSG&REPLY=7|SERVER%20IS%20BUSY";
  QTest::newRow("message with a lone percent")
      << base + "/Zq3/V7Percent.asp?ACTION="
      << base + "/Zq3/V7Message.asp?ACTION=MSG&REPLY=3|50%%20DONE";
  QTest::newRow("chain of four redirects")
      << base + "/Zq3/V7Main.asp?ACTION=REQ" << base + "/Zq3/V7Main.asp?ACTION=NEXT";
  QTest::newRow("page without redirect")
      << base + "/plain.asp?ACTION=X" << base + "/plain.asp?ACTION=X";
}

void QtWebEngineBrowserTest::finalUrlIsTheUrlTheServerWrote() {
  QFETCH(QString, request);
  QFETCH(QString, reply);
  NavigateAndSettle(request.toStdString());
  QCOMPARE(completions_, 1);
  QCOMPARE(QString::fromStdString(browser_->LocationURL()), reply);
}

void QtWebEngineBrowserTest::completesFromTheEventLoopOnly() {
  browser_->Navigate(server_.Base() + "/plain.asp?ACTION=ONE");
  QCOMPARE(completions_, 0);
  QTRY_COMPARE_WITH_TIMEOUT(completions_, 1, kWaitMs);
  NavigateAndSettle(server_.Base() + "/Zq3/V7Message.asp?ACTION=");
  QCOMPARE(completions_, 2);
}

void QtWebEngineBrowserTest::requestUrlReachesTheServerAsBuilt() {
  // Requests are built by concatenation: blanks and "|" go unescaped to the
  // browser, which must still deliver them.
  NavigateAndSettle(server_.Base() + "/echo.asp?ACTION=REQ&TheRecord=123456!A SMITH  J|X");
  std::lock_guard<std::mutex> guard(lock_);
  QCOMPARE(QString::fromStdString(lastTarget_), QStringLiteral("123456!A SMITH  J|X"));
}

void QtWebEngineBrowserTest::failedLoadCompletesWithTheUrlTried() {
  const std::string url = "http://127.0.0.1:" + std::to_string(webaccess::testing::ClosedPort()) +
                          "/Zq3/V7Count.asp?ACTION=";
  browser_->Navigate(url);
  QTRY_COMPARE_WITH_TIMEOUT(completions_, 1, kWaitMs);
  QCOMPARE(QString::fromStdString(browser_->LocationURL()), QString::fromStdString(url));
  QTest::qWait(kQuietMs);
  QCOMPARE(completions_, 1);
}

void QtWebEngineBrowserTest::aFailedLoadIsToldWithItsPageAndWhy_data() {
  QTest::addColumn<QString>("url");
  QTest::addColumn<QString>("told");  // the start of what is told; empty for nothing
  const QString base = QString::fromStdString(server_.Base());
  QTest::newRow("error status") << base + "/Zq3/V7Long.asp?ACTION=REQ"
                                << QStringLiteral("V7Long: HTTP status 414");
  QTest::newRow("no connection") << QStringLiteral("http://127.0.0.1:%1/Zq3/V7Count.asp?ACTION=")
                                        .arg(webaccess::testing::ClosedPort())
                                 << QStringLiteral("V7Count: ");
  QTest::newRow("a page") << base + "/plain.asp?ACTION=X" << QString();
}

void QtWebEngineBrowserTest::aFailedLoadIsToldWithItsPageAndWhy() {
  QFETCH(QString, url);
  QFETCH(QString, told);
  NavigateAndSettle(url.toStdString());
  QCOMPARE(completions_, 1);
  if (told.isEmpty()) {
    QCOMPARE(failures_, QStringList());
    return;
  }
  QCOMPARE(failures_.size(), 1);
  QVERIFY2(failures_[0].startsWith(told) && !failures_[0].endsWith(QStringLiteral(": ")),
           qPrintable(failures_[0]));
}

void QtWebEngineBrowserTest::downloadCarriesTheEngineCookies() {
  const std::string file = server_.Base() + "/Zq3/_ffffs/1234567USER .TXT";
  QCOMPARE(QString::fromStdString(browser_->Cookies().HeaderFor(file)), QString());

  NavigateAndSettle(server_.Base() + "/logon.asp");
  QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(browser_->Cookies().HeaderFor(file)),
                            QStringLiteral("ASPSESSIONID=S3SS10N"), kWaitMs);

  CurlTransfer transfer;
  const auto& cookies = browser_->Cookies();
  transfer.SetCookieSource([&cookies](const std::string& url) { return cookies.HeaderFor(url); });
  const auto result = transfer.Download(file, [](const char*, std::size_t) { return true; });
  QVERIFY2(result.ok, result.error.c_str());
  {
    std::lock_guard<std::mutex> guard(lock_);
    QCOMPARE(QString::fromStdString(lastCookie_), QStringLiteral("ASPSESSIONID=S3SS10N"));
  }

  NavigateAndSettle(server_.Base() + "/logoff.asp");
  QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(browser_->Cookies().HeaderFor(file)), QString(),
                            kWaitMs);
}

void QtWebEngineBrowserTest::aSecureCookieStaysOnHttps() {
  // The same host, named, over https (trusted through the CA file) and over
  // plain http.
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const TestCertificates certificates(dir.filePath(QStringLiteral("certificates")).toStdString());
  httplib::SSLServer secure(certificates.Certificate(ServerCertificate::OtherHost).c_str(),
                            certificates.Key().c_str());
  QVERIFY(secure.is_valid());
  secure.Get("/logon.asp", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Set-Cookie", "SECURE=S3CR3T; Secure; Path=/");
    Page(response);
  });
  secure.Get("/cookie.asp", [this](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard<std::mutex> guard(lock_);
    cookieSeen_["https"] = request.get_header_value("Cookie");
    Page(response);
  });
  const int port = secure.bind_to_any_port("127.0.0.1");
  std::thread serving([&secure] { secure.listen_after_bind(); });
  const std::string https = "https://" + std::string(kOtherHost) + ":" + std::to_string(port);
  const std::string http =
      "http://" + std::string(kOtherHost) + ":" + std::to_string(server_.Port());
  browser_->SetCaFile(certificates.Authority());

  NavigateAndSettle(https + "/logon.asp");
  NavigateAndSettle(http + "/cookie.asp");
  NavigateAndSettle(https + "/cookie.asp");
  secure.stop();
  serving.join();
  std::lock_guard<std::mutex> guard(lock_);
  // The engine went to both pages; only the https one got the cookie.
  QCOMPARE(cookieSeen_.size(), std::size_t{2});
  QCOMPARE(QString::fromStdString(cookieSeen_["http"]), QString());
  QCOMPARE(QString::fromStdString(cookieSeen_["https"]), QStringLiteral("SECURE=S3CR3T"));
}

// The exit tells the browser to quit, and nothing relies on it: a load
// under way completes, and a poll that falls due later still goes out.
void QtWebEngineBrowserTest::quitLeavesLoadsGoing() {
  browser_->Navigate(server_.Base() + "/slow.asp");
  QTRY_COMPARE_WITH_TIMEOUT(slowRequests_.load(), 1, kWaitMs);
  browser_->Quit();
  QTRY_COMPARE_WITH_TIMEOUT(completions_, 1, kWaitMs);

  browser_->Navigate(server_.Base() + "/slow.asp");
  QTRY_COMPARE_WITH_TIMEOUT(completions_, 2, kWaitMs);
  QCOMPARE(slowRequests_.load(), 2);
}

// A request may go out while the one before is still under way (a tick, or
// Exit, while the server is slow to answer): the new navigation is the one
// that completes, with its own URL, and the one it replaced is never
// reported.
void QtWebEngineBrowserTest::aNewNavigationReplacesAPageStillLoading() {
  std::vector<std::string> completedAt;
  browser_->SetHandlers([&completedAt](const std::string& url) { completedAt.push_back(url); },
                        nullptr, nullptr);
  browser_->Navigate(server_.Base() + "/arriving.asp");
  QTRY_COMPARE_WITH_TIMEOUT(heldPages_.load(), 1, kWaitMs);
  QCOMPARE(completedAt.size(), std::size_t{0});
  const std::string next = server_.Base() + "/Zq3/V7Message.asp?ACTION=";
  browser_->Navigate(next);
  QTRY_VERIFY_WITH_TIMEOUT(!completedAt.empty(), kWaitMs);
  QTest::qWait(2000);  // longer than the held page takes
  QCOMPARE(completedAt,
           std::vector<std::string>{server_.Base() + "/Zq3/V7Message.asp?ACTION=MSG&REPLY=<NONE>"});
}

void QtWebEngineBrowserTest::heightAndVisibility() {
  QWebEngineView* view = browser_->View();
  QVERIFY(view != nullptr);
  QCOMPARE(view->parentWidget(), host_);
  QVERIFY(view->isHidden());
  view->resize(700, 100);
  browser_->SetHeight(6100);  // twips, at 96 dots per inch 15 to the pixel
  QCOMPARE(view->height(), 407);
  QCOMPARE(view->width(), 700);
  host_->show();
  browser_->SetVisible(true);
  QVERIFY(view->isVisible());
}

int main(int argc, char** argv) {
  // A host name that is not the loopback's own: the engine counts
  // 127.0.0.1 as a secure origin even over http.
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") +
                                            " --host-resolver-rules=\"MAP " +
                                            QByteArray(kOtherHost) + " 127.0.0.1\"");
  webaccess::platform::PrepareWebEngine();
  QApplication application(argc, argv);
  QtWebEngineBrowserTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "QtWebEngineBrowserTest.moc"
