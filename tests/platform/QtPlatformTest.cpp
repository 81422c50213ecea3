// The small Qt platform pieces: poll timer, event pump, message boxes,
// process end, screen size and the cookie jar.
#include <QApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QMessageBox>
#include <QNetworkCookie>
#include <QScreen>
#include <QTest>

#include "ModalBoxes.h"
#include "platform/qt/EngineCookies.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtProcess.h"
#include "platform/qt/QtScreen.h"
#include "platform/qt/QtWaitTimer.h"

using webaccess::platform::EngineCookies;
using webaccess::platform::QtDialogs;
using webaccess::platform::QtEventPump;
using webaccess::platform::QtProcess;
using webaccess::platform::QtScreen;
using webaccess::platform::QtWaitTimer;
using webaccess::ports::Answer;
using webaccess::testing::AnswerNextBox;
using webaccess::testing::SeenBox;

namespace {

struct Left {
  int status;
};

void LeaveByThrowing(int status) { throw Left{status}; }

QNetworkCookie Cookie(const char* name, const char* value, const char* domain,
                      const char* path = "/") {
  QNetworkCookie cookie(name, value);
  cookie.setDomain(QString::fromLatin1(domain));
  cookie.setPath(QString::fromLatin1(path));
  return cookie;
}

}  // namespace

class QtPlatformTest : public QObject {
  Q_OBJECT

 private slots:
  void timerTicksAtItsIntervalUntilStopped();
  void timerRestartsItsCountdownWhenSet();
  void pumpRunsPendingEvents();
  void questionsHaveTheirTitleYesNoAndNoIcon();
  void criticalBoxHasOkAndTheIcon();
  void serverMessageGoesToTheWindowLayer();
  void failShowsTheReportAndLeavesWith70();
  void endAtOnceLeavesWith0();
  void unloadClosesTheMainWindow();
  void screenSizeInTwips();
  void cookiesFollowDomainPathSecureAndExpiry();
};

void QtPlatformTest::timerTicksAtItsIntervalUntilStopped() {
  QtWaitTimer timer;
  int ticks = 0;
  timer.SetTickHandler([&] { ++ticks; });
  QCOMPARE(timer.Interval(), 0);
  QTest::qWait(100);
  QCOMPARE(ticks, 0);  // interval 0 as designed: no tick

  timer.SetInterval(40);
  QCOMPARE(timer.Interval(), 40);
  QTRY_VERIFY_WITH_TIMEOUT(ticks >= 3, 5000);  // it keeps ticking
  timer.SetInterval(0);
  QCOMPARE(timer.Interval(), 0);
  const int stoppedAt = ticks;
  QTest::qWait(200);
  QCOMPARE(ticks, stoppedAt);
}

void QtPlatformTest::timerRestartsItsCountdownWhenSet() {
  QtWaitTimer timer;
  int ticks = 0;
  timer.SetTickHandler([&] { ++ticks; });
  timer.SetInterval(400);
  // Set again before it fires, it starts counting afresh each time.
  for (int i = 0; i < 5; ++i) {
    QTest::qWait(200);
    timer.SetInterval(400);
  }
  QCOMPARE(ticks, 0);
  QTRY_COMPARE_WITH_TIMEOUT(ticks, 1, 5000);
  timer.SetInterval(0);
}

void QtPlatformTest::pumpRunsPendingEvents() {
  bool ran = false;
  QMetaObject::invokeMethod(
      qApp, [&] { ran = true; }, Qt::QueuedConnection);
  QVERIFY(!ran);
  QtEventPump().ProcessPendingEvents();
  QVERIFY(ran);
}

void QtPlatformTest::questionsHaveTheirTitleYesNoAndNoIcon() {
  QWidget owner;
  owner.show();
  QtDialogs dialogs(&owner, nullptr);
  SeenBox seen;
  AnswerNextBox(QStringLiteral("Yes"), &seen);
  QCOMPARE(dialogs.AskYesNo("QUESTION", "NOTHING FLAGGED TO ORDER\r\nARE YOU JUST PICKING UP?"),
           Answer::Yes);
  QCOMPARE(seen.title, QStringLiteral("QUESTION"));
  QCOMPARE(seen.text, QStringLiteral("NOTHING FLAGGED TO ORDER\nARE YOU JUST PICKING UP?"));
  QCOMPARE(seen.icon, QMessageBox::NoIcon);
  QCOMPARE(seen.buttons.size(), 2);
  QVERIFY(seen.buttons.contains(QStringLiteral("Yes")));
  QVERIFY(seen.buttons.contains(QStringLiteral("No")));
  QCOMPARE(seen.defaultButton, QStringLiteral("Yes"));
  QVERIFY(!seen.buttonsHaveIcons);

  AnswerNextBox(QStringLiteral("No"), &seen);
  QCOMPARE(dialogs.AskYesNo("Exit Question", "Are you sure you wish to exit?"), Answer::No);
  QCOMPARE(seen.title, QStringLiteral("Exit Question"));

  // Texts are shown as they are, never as markup.
  AnswerNextBox(QStringLiteral("Yes"), &seen);
  dialogs.AskYesNo("TIRED OF WAITING?", "<b>WAIT</b> & SEE");
  QCOMPARE(seen.text, QStringLiteral("<b>WAIT</b> & SEE"));
}

void QtPlatformTest::criticalBoxHasOkAndTheIcon() {
  QtDialogs dialogs(nullptr, nullptr);
  SeenBox seen;
  AnswerNextBox(QStringLiteral("OK"), &seen);
  dialogs.ShowCritical("Log On Error", "Unknown code 99");
  QCOMPARE(seen.title, QStringLiteral("Log On Error"));
  QCOMPARE(seen.text, QStringLiteral("Unknown code 99"));
  QCOMPARE(seen.icon, QMessageBox::Critical);
  QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
}

void QtPlatformTest::serverMessageGoesToTheWindowLayer() {
  std::string shown;
  QtDialogs dialogs(nullptr, [&](const std::string& text) { shown = text; });
  dialogs.ShowServerMessage("USER ID REVOKED\r\n\r\nPress exit to continue.");
  QCOMPARE(QString::fromStdString(shown),
           QStringLiteral("USER ID REVOKED\r\n\r\nPress exit to continue."));
}

void QtPlatformTest::failShowsTheReportAndLeavesWith70() {
  QWidget window;
  window.show();
  QtProcess process(&window, &LeaveByThrowing);
  SeenBox seen;
  AnswerNextBox(QStringLiteral("OK"), &seen);
  int status = -1;
  try {
    process.Fail("cannot create TRACE.QDK: Permission denied");
  } catch (const Left& left) {
    status = left.status;
  }
  QCOMPARE(status, 70);
  QCOMPARE(seen.title, QStringLiteral("webaccess"));
  QCOMPARE(seen.text, QStringLiteral("cannot create TRACE.QDK: Permission denied"));
  QCOMPARE(seen.icon, QMessageBox::Critical);
}

void QtPlatformTest::endAtOnceLeavesWith0() {
  QWidget window;
  window.show();
  QtProcess process(&window, &LeaveByThrowing);
  int status = -1;
  try {
    process.EndAtOnce();
  } catch (const Left& left) {
    status = left.status;
  }
  QCOMPARE(status, 0);
  QVERIFY(window.isVisible());  // no window is closed on the way out
}

void QtPlatformTest::unloadClosesTheMainWindow() {
  QWidget window;
  window.show();
  QtProcess process(&window, &LeaveByThrowing);
  process.UnloadMainWindow();
  QVERIFY(!window.isVisible());
}

void QtPlatformTest::screenSizeInTwips() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  QVERIFY(screen != nullptr);
  const double twipsPerPixelX = 1440.0 / screen->logicalDotsPerInchX();
  const double twipsPerPixelY = 1440.0 / screen->logicalDotsPerInchY();
  QtScreen twips;
  QVERIFY(std::abs(twips.WidthTwips() - screen->geometry().width() * twipsPerPixelX) <= 1.0);
  QVERIFY(std::abs(twips.HeightTwips() - screen->geometry().height() * twipsPerPixelY) <= 1.0);
}

void QtPlatformTest::cookiesFollowDomainPathSecureAndExpiry() {
  EngineCookies cookies;
  QCOMPARE(QString::fromStdString(cookies.HeaderFor("http://web.example.com/Zq3/a.asp")),
           QString());

  cookies.Add(Cookie("SESSION", "ONE", "web.example.com"));
  cookies.Add(Cookie("SITE", "ALL", ".example.com"));
  cookies.Add(Cookie("DEEP", "Z", "web.example.com", "/Zq3"));
  cookies.Add(Cookie("OTHER", "NO", "other.example.org"));
  QNetworkCookie secure = Cookie("SECURE", "S", "web.example.com");
  secure.setSecure(true);
  cookies.Add(secure);
  QNetworkCookie expired = Cookie("OLD", "X", "web.example.com");
  expired.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(-1));
  cookies.Add(expired);

  // The pairs of the header, in order, and sorted.
  const auto pairs = [&](const char* url) {
    return QString::fromStdString(cookies.HeaderFor(url)).split(QStringLiteral("; "));
  };
  const auto sorted = [&](const char* url) {
    QStringList list = pairs(url);
    list.sort();
    return list.join(QLatin1Char(' '));
  };
  // A blank in the file name is no obstacle; the cookie of the longer path
  // comes first.
  QCOMPARE(sorted("http://web.example.com/Zq3/_ffffs/1234567USER .TXT"),
           QStringLiteral("DEEP=Z SESSION=ONE SITE=ALL"));
  QCOMPARE(pairs("http://web.example.com/Zq3/_ffffs/1234567USER .TXT").first(),
           QStringLiteral("DEEP=Z"));
  QCOMPARE(sorted("http://web.example.com/other.asp"), QStringLiteral("SESSION=ONE SITE=ALL"));
  QCOMPARE(sorted("https://web.example.com/other.asp"),
           QStringLiteral("SECURE=S SESSION=ONE SITE=ALL"));
  QCOMPARE(sorted("http://mail.example.com/"), QStringLiteral("SITE=ALL"));

  // Set again, a cookie replaces its old value; removed, it is gone.
  cookies.Add(Cookie("SESSION", "TWO", "web.example.com"));
  QCOMPARE(sorted("http://web.example.com/other.asp"), QStringLiteral("SESSION=TWO SITE=ALL"));
  cookies.Remove(Cookie("SESSION", "TWO", "web.example.com"));
  QCOMPARE(sorted("http://web.example.com/other.asp"), QStringLiteral("SITE=ALL"));
}

QTEST_MAIN(QtPlatformTest)
#include "QtPlatformTest.moc"
