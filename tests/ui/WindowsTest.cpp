// The three windows under the offscreen platform (96 dots per inch, so 15
// twips to the pixel, and no window frame).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

#include "ModalBoxes.h"
#include "platform/qt/EngineStart.h"
#include "ui/Program.h"
#include "ui/WindowEvents.h"
#include "ui/frmLook.h"
#include "ui/frmMessage.h"
#include "ui/frmWebAccess.h"

using namespace webaccess;
using testing::AnswerNextBox;
using testing::SeenBox;

namespace {

const platform::TwipsScale kScale(96, 96);
constexpr int kTwipsPerPixel = 15;

// A record line of the inquiry file, 60 characters.
const char* const kRecord = "A123456789SMITH JOHN         D1234567     19600101ABCDEFGHIJ";

// Records what the window passes on.
class RecordingEvents final : public ui::WindowEvents {
 public:
  void Form_Activate() override { calls << QStringLiteral("Form_Activate"); }
  bool Form_QueryUnload() override { return false; }
  void Form_Unload() override { calls << QStringLiteral("Form_Unload"); }
  void cmdStart_Click() override { calls << QStringLiteral("cmdStart_Click"); }
  void cmdExit_Click() override { calls << QStringLiteral("cmdExit_Click"); }
  void mnu_Pick_Up_Click() override { calls << QStringLiteral("mnu_Pick_Up_Click"); }
  void mnuAlt_Click() override { calls << QStringLiteral("mnuAlt_Click"); }
  void mnuMain_Click() override { calls << QStringLiteral("mnuMain_Click"); }
  void mnuTestServer_Click() override { calls << QStringLiteral("mnuTestServer_Click"); }
  void mnuIP_Click() override { calls << QStringLiteral("mnuIP_Click"); }
  std::vector<std::string> RequestItems() override { return items; }

  int Count(const char* name) const { return static_cast<int>(calls.count(QLatin1String(name))); }

  QStringList calls;
  std::vector<std::string> items;
};

// A test that ends the process by mistake ends it loudly.
void LeaveLoudly(int status) {
  std::fprintf(stderr, "the program ended with status %d\n", status);
  std::fflush(stderr);
  std::_Exit(100 + status);
}

// The program as main() builds it, against a server address nothing answers on.
struct Program : ui::Program {
  Program() : ui::Program(Settings(), "", &LeaveLoudly, kScale) {}

  static protocol::Settings Settings() {
    std::string error;
    auto settings = protocol::LoadSettings(
        [](const char* name) -> const char* {
          return std::string_view(name).ends_with("_URL") ? "http://127.0.0.1:9/" : nullptr;
        },
        error);
    return *settings;
  }
};

void WriteFile(const char* name, const QByteArray& bytes) {
  QFile file(QString::fromLatin1(name));
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

QByteArray Records(int count) {
  QByteArray bytes;
  for (int i = 0; i < count; ++i) bytes += QByteArray(kRecord) + "\r\n";
  return bytes;
}

QStringList Rows(const QListWidget* list) {
  QStringList rows;
  for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
  return rows;
}

bool NoMaximizeOrMinimize(const QWidget* window) {
  const Qt::WindowFlags flags = window->windowFlags();
  return !(flags & Qt::WindowMaximizeButtonHint) && !(flags & Qt::WindowMinimizeButtonHint) &&
         (flags & Qt::WindowCloseButtonHint);
}

void CheckFont(const QWidget* widget, double points, bool bold, bool fixed) {
  QCOMPARE(widget->font().pointSizeF(), points);
  QCOMPARE(widget->font().bold(), bold);
  const QFontInfo shown(widget->font());
  QCOMPARE(shown.family(),
           fixed ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
  QCOMPARE(shown.fixedPitch(), fixed);
}

int Floor(double value) { return static_cast<int>(std::floor(value)); }

// Where a window centred across the screen has its left edge when it is
// first shown. The offscreen screen is 800 pixels wide, less than the framed
// main window: the platform puts a new window's edge on the screen.
int CentredLeft(int screenWidth, int windowWidth) {
  return std::max(0, Floor((screenWidth - windowWidth) / 2.0));
}

// Once `find` gives a visible window (polling from the event loop, for up
// to ten seconds), runs `act` on it. Call before the code that shows it.
void WhenShown(std::function<QWidget*()> find, std::function<void(QWidget*)> act) {
  auto* poll = new QTimer(qApp);
  poll->setInterval(20);
  auto waited = std::make_shared<int>(0);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, waited, find, act] {
    QWidget* window = find();
    if ((window == nullptr || !window->isVisible()) && ++*waited < 500) return;
    poll->stop();
    poll->deleteLater();
    if (window != nullptr && window->isVisible()) act(window);
  });
  poll->start();
}

// The pixels a window's frame adds to its height.
int FrameHeight(const QWidget* window) {
  return window->frameGeometry().height() - window->height();
}

}  // namespace

class WindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();

  void mainWindowAsDesigned();
  void menusAsDesigned();
  void buttonsAndMenusPassTheirEventsOn();
  void activationOnFirstShowingAndAfterOwnWindowsOnly();

  void layoutsApplyToTheRealWindow();
  void closeBoxRunsFormUnload();

  void requestListAsDesigned();
  void requestListShowsTheInquiryFile();
  void requestListFitsItsHeight();
  void requestListCountsTheFrameFromTheFirstShowing();

  void serverMessageWindow();

 private:
  QTemporaryDir workDir_;
};

void WindowsTest::initTestCase() {
  QVERIFY(workDir_.isValid());
  QVERIFY(QDir::setCurrent(workDir_.path()));
  QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchY(), 96.0);
}

void WindowsTest::init() {
  for (const char* name : {"INQUIRY.QDK", "RESPONSE.QDK"}) QFile::remove(QString::fromLatin1(name));
}

void WindowsTest::mainWindowAsDesigned() {
  ui::frmWebAccess window(kScale);
  QCOMPARE(window.windowTitle(), QStringLiteral("Request Records From Vantorel - V"));
  QVERIFY(NoMaximizeOrMinimize(&window));
  QVERIFY(window.windowIcon().availableSizes().contains(QSize(256, 256)));

  // Client area 11985 by 8940 twips below the menu bar.
  QCOMPARE(window.size(), QSize(799, window.menuBar()->sizeHint().height() + 596));

  const struct {
    QWidget* control;
    QRect place;  // the designed twips over 15
    QString text;
    double points;
  } designed[] = {
      {window.cmdExit(), {696, 40, 89, 33}, QStringLiteral("Exit"), 12},
      {window.cmdStart(), {16, 40, 89, 33}, QStringLiteral("Start"), 12},
      {window.lblDisplay(), {120, 40, 537, 41}, QString(), 9.75},
      {window.lblServer(), {16, 5, 249, 17}, QStringLiteral("Main Sever"), 8.25},
      {window.lblOrdering(), {576, 5, 209, 17}, QString(), 8.25},
  };
  for (const auto& item : designed) {
    QCOMPARE(item.control->parentWidget(), window.ClientArea());
    QCOMPARE(item.control->geometry(), item.place);
    const auto* button = qobject_cast<QPushButton*>(item.control);
    const auto* label = qobject_cast<QLabel*>(item.control);
    QCOMPARE(button ? button->text() : label->text(), item.text);
    CheckFont(item.control, item.points, true, false);
  }

  QWebEngineView* browser = window.WebBrowser().View();
  QCOMPARE(browser->parentWidget(), window.ClientArea());
  QCOMPARE(browser->geometry(), QRect(16, 88, 769, 407));
  QVERIFY(browser->isHidden());
  QCOMPARE(window.txtURL()->geometry(), QRect(16, 520, 745, 19));
  QVERIFY(window.txtURL()->isHidden());
  QCOMPARE(window.cmdExit()->nextInFocusChain(), window.cmdStart());
  QCOMPARE(window.cmdStart()->nextInFocusChain(), static_cast<QWidget*>(browser));

  // The core's writes land in their controls; the reply field mirrors the
  // reply and is never shown.
  window.SetText(ports::Control::Caption, "Requesting Record  3");
  window.SetText(ports::Control::cmdExit, "STOP");
  window.SetText(ports::Control::lblDisplay, "Sending <records>");
  window.SetText(ports::Control::txtURL, "http://h/a.asp?ACTION=NEXT");
  window.SetEnabled(ports::Control::cmdStart, false);
  QCOMPARE(window.windowTitle(), QStringLiteral("Requesting Record  3"));
  QCOMPARE(window.cmdExit()->text(), QStringLiteral("STOP"));
  QCOMPARE(window.lblDisplay()->text(), QStringLiteral("Sending <records>"));
  QCOMPARE(window.lblDisplay()->textFormat(), Qt::PlainText);
  QCOMPARE(window.txtURL()->text(), QStringLiteral("http://h/a.asp?ACTION=NEXT"));
  QVERIFY(window.txtURL()->isHidden());
  QVERIFY(!window.cmdStart()->isEnabled());
}

void WindowsTest::menusAsDesigned() {
  ui::frmWebAccess window(kScale);
  const QList<QAction*> menus = window.menuBar()->actions();
  QCOMPARE(menus.size(), 2);
  const struct {
    QString title;
    QStringList captions;
    QList<bool> enabled;
  } designed[] = {
      {QStringLiteral("Options"),
       {QStringLiteral("Pick Up Only"), QStringLiteral("Look at Requests")},
       {true, true}},
      {QStringLiteral("Server"),
       {QStringLiteral("Connect To Alternate Server"), QStringLiteral("Connect to Main Server"),
        QStringLiteral("Connect to Test Server"), QStringLiteral("Connect to IP Address")},
       {true, true, false, false}},
  };
  for (int m = 0; m < 2; ++m) {
    QCOMPARE(menus[m]->text(), designed[m].title);
    const QList<QAction*> items = menus[m]->menu()->actions();
    QCOMPARE(items.size(), designed[m].captions.size());
    for (int i = 0; i < items.size(); ++i) {
      QCOMPARE(items[i]->text(), designed[m].captions[i]);
      QCOMPARE(items[i]->isEnabled(), designed[m].enabled[i]);
      QVERIFY(items[i]->shortcut().isEmpty());
    }
  }
}

void WindowsTest::buttonsAndMenusPassTheirEventsOn() {
  RecordingEvents events;
  ui::frmWebAccess window(kScale);
  window.Attach(&events);
  window.cmdStart()->click();
  window.cmdExit()->click();
  for (const char* name : {"mnu_Pick_Up", "mnuAlt", "mnuMain", "mnuTestServer", "mnuIP"}) {
    QAction* action = window.findChild<QAction*>(QString::fromLatin1(name));
    QVERIFY2(action != nullptr, name);
    action->setEnabled(true);  // the switched-off ones too, to see where they lead
    action->trigger();
  }
  QCOMPARE(events.calls,
           (QStringList{"cmdStart_Click", "cmdExit_Click", "mnu_Pick_Up_Click", "mnuAlt_Click",
                        "mnuMain_Click", "mnuTestServer_Click", "mnuIP_Click"}));
}

void WindowsTest::activationOnFirstShowingAndAfterOwnWindowsOnly() {
  RecordingEvents events;
  ui::frmWebAccess window(kScale);
  window.Attach(&events);
  window.ShowCentred();
  QCOMPARE(events.Count("Form_Activate"), 0);  // delivered from the event loop
  QTRY_COMPARE(events.Count("Form_Activate"), 1);

  // A message box closing over the window, or the window being activated
  // again, is no activation of the form.
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("QUESTION"), QStringLiteral("?"),
                  QMessageBox::Yes | QMessageBox::No, &window);
  AnswerNextBox(QStringLiteral("Yes"));
  box.exec();
  window.activateWindow();
  QTest::qWait(100);
  QCOMPARE(events.Count("Form_Activate"), 1);

  // Closing the request list or the server message window is.
  WhenShown([&] { return window.Look(); },
            [](QWidget* look) { static_cast<ui::frmLook*>(look)->cmdExit()->click(); });
  window.findChild<QAction*>(QStringLiteral("mnuLook"))->trigger();
  QTRY_COMPARE(events.Count("Form_Activate"), 2);

  WhenShown([&] { return window.Message(); },
            [](QWidget* message) { message->close(); });  // by its close box
  window.ShowServerMessage("BYE\r\n\r\nPress exit to continue.");
  QTRY_COMPARE(events.Count("Form_Activate"), 3);

  // Closing the main window unloads it, and nothing activates it after that.
  window.close();
  QCOMPARE(events.calls.last(), QStringLiteral("Form_Unload"));
  QTest::qWait(100);
  QCOMPARE(events.Count("Form_Activate"), 3);
  QCOMPARE(events.Count("Form_Unload"), 1);
}

void WindowsTest::layoutsApplyToTheRealWindow() {
  WriteFile("INQUIRY.QDK", Records(3));
  Program program;
  ui::frmWebAccess& window = program.Window();
  const int screenWidth = program.Screen().WidthTwips();
  const int screenHeight = program.Screen().HeightTwips();

  // Loaded compact, centred across, before it is first shown.
  program.Form().Form_Load();
  ports::WindowRect rect = window.Geometry();
  QVERIFY2(std::abs(rect.height - 2055) < kTwipsPerPixel, qPrintable(QString::number(rect.height)));
  QCOMPARE(rect.width, 11985);
  QVERIFY(std::abs(rect.left - Floor((screenWidth - rect.width) / 2.0)) < kTwipsPerPixel);
  QCOMPARE(window.lblDisplay()->text(), QStringLiteral("Press start to begin transfer."));
  QVERIFY(!window.isVisible());

  // Shown centred both ways; its first activation asks for the order. The
  // frame, known once it is shown, does not change the outer size.
  SeenBox seen;
  AnswerNextBox(QStringLiteral("Yes"), &seen);
  window.ShowCentred();
  QTRY_COMPARE(window.lblOrdering()->text(), QStringLiteral("Ordering  3 Records"));
  QCOMPARE(seen.title, QStringLiteral("QUESTION"));
  QCOMPARE(seen.text, QStringLiteral("THERE ARE 3 RECORDS BEING ORDERED, IS THIS CORRRECT?"));
  QCOMPARE(window.windowTitle(), QStringLiteral("Request Records From Vantorel - V1.15"));
  rect = window.Geometry();
  const int frameWidth = (window.frameGeometry().width() - window.width()) * kTwipsPerPixel;
  QVERIFY2(std::abs(rect.height - 2055) < kTwipsPerPixel, qPrintable(QString::number(rect.height)));
  QCOMPARE(window.ClientArea()->width(), 799);  // the frame comes on top of the design
  QCOMPARE(rect.width, 11985 + frameWidth);
  QVERIFY(std::abs(rect.top - Floor((screenHeight - rect.height) / 2.0)) < kTwipsPerPixel);
  QVERIFY(std::abs(rect.left - CentredLeft(screenWidth, rect.width)) <= kTwipsPerPixel);

  // Expanded: 8400 high, centred both ways, the browser 6100 high.
  const QRect exitButton = window.cmdExit()->geometry();
  program.Form().ArrangeLayout(app::Layout::Expanded);
  rect = window.Geometry();
  QVERIFY2(std::abs(rect.height - 8400) < kTwipsPerPixel, qPrintable(QString::number(rect.height)));
  QCOMPARE(rect.width, 11985 + frameWidth);
  QVERIFY(std::abs(rect.top - Floor((screenHeight - rect.height) / 2.0)) < kTwipsPerPixel);
  QVERIFY(std::abs(rect.left - Floor((screenWidth - rect.width) / 2.0)) <= kTwipsPerPixel);
  QCOMPARE(window.WebBrowser().View()->height(), 407);
  QCOMPARE(window.cmdExit()->geometry(), exitButton);  // controls keep their places
  const int expandedTop = rect.top;

  // Compact again: the top edge stays.
  program.Form().ArrangeLayout(app::Layout::Compact);
  rect = window.Geometry();
  QVERIFY(std::abs(rect.height - 2055) < kTwipsPerPixel);
  QCOMPARE(rect.top, expandedTop);
  QCOMPARE(window.cmdExit()->geometry(), exitButton);
}

void WindowsTest::closeBoxRunsFormUnload() {
  for (const bool empty : {true, false}) {
    WriteFile("INQUIRY.QDK", Records(1));
    WriteFile("RESPONSE.QDK", empty ? QByteArray() : QByteArray("R\r\n"));
    Program program;
    program.Form().Form_Load();
    AnswerNextBox(QStringLiteral("Yes"));
    program.Window().ShowCentred();
    QTRY_COMPARE(program.Window().lblOrdering()->text(), QStringLiteral("Ordering  1 Record"));
    QVERIFY(program.Window().close());
    QVERIFY(!program.Window().isVisible());
    // An empty response file is not left behind; one with data stays.
    QCOMPARE(QFile::exists(QStringLiteral("RESPONSE.QDK")), !empty);
  }
}

void WindowsTest::requestListAsDesigned() {
  RecordingEvents events;
  ui::frmLook look([&events] { return events.RequestItems(); }, kScale);
  QCOMPARE(look.windowTitle(), QStringLiteral("Look at Requests Waiting to Order"));
  QVERIFY(NoMaximizeOrMinimize(&look));
  QVERIFY(look.isModal());
  QCOMPARE(look.size(), QSize(444, 449));
  QCOMPARE(look.lstReq()->geometry(), QRect(8, 8, 425, 404));
  QCOMPARE(look.cmdExit()->text(), QStringLiteral("Exit"));
  CheckFont(look.lstReq(), 9.75, false, true);
  CheckFont(look.cmdExit(), 12, true, false);

  // Filled at every showing, from what the items are then.
  events.items = {"AB", "CD", "", "X1234567890123456789012345678901234567890"};
  WhenShown([&] { return &look; }, [&](QWidget*) { look.cmdExit()->click(); });
  look.ShowModal();
  QCOMPARE(Rows(look.lstReq()), (QStringList{"0001  A   B   ", "0002  C   D   ", "0003        ",
                                             "0004  X   1234567890123456789   012345678901234"}));

  events.items = {"ONLY"};
  WhenShown([&] { return &look; }, [&](QWidget*) { look.close(); });
  look.ShowModal();
  QCOMPARE(Rows(look.lstReq()), QStringList{"0001  O   NLY   "});
}

void WindowsTest::requestListShowsTheInquiryFile() {
  Program program;
  program.Form().Form_Load();
  ui::frmWebAccess& window = program.Window();
  AnswerNextBox(QStringLiteral("Yes"));  // nothing to order: just picking up
  window.ShowCentred();
  QTRY_COMPARE(window.lblOrdering()->text(), QStringLiteral("Just Picking Up"));
  QVERIFY(QFile::remove(QStringLiteral("INQUIRY.QDK")));
  auto showList = [&] {
    WhenShown([&] { return window.Look(); }, [&](QWidget*) { window.Look()->cmdExit()->click(); });
    window.mnuLook_Click();
    return Rows(window.Look()->lstReq());
  };
  // No inquiry file: an empty list.
  QCOMPARE(showList(), QStringList());
  // Items are comma-separated fields; a blank line is an empty item.
  WriteFile("INQUIRY.QDK", "AB,CD\r\n\r\n\"E,F\"\r\n");
  QCOMPARE(showList(),
           (QStringList{"0001  A   B   ", "0002  C   D   ", "0003        ", "0004  E   ,F   "}));
}

void WindowsTest::requestListFitsItsHeight() {
  ui::frmLook look({}, kScale);
  look.show();
  QTRY_VERIFY(look.isVisible());
  const int frame = FrameHeight(&look);
  // As designed, 6735 twips inside: the outer height H is that and the
  // frame, the list H - 1185.
  QTRY_COMPARE(look.lstReq()->height(), (6735 + frame * kTwipsPerPixel - 1185) / kTwipsPerPixel);
  QCOMPARE(look.cmdExit()->y(), look.lstReq()->height() + 12);

  // Outer 2595 twips (173 pixels): the list 1410 twips (94), the button 1590 (106).
  look.resize(look.width(), 173 - frame);
  QTRY_COMPARE(look.lstReq()->height(), 94);
  QCOMPARE(look.cmdExit()->y(), 106);
  QCOMPARE(look.lstReq()->y(), 8);  // top, left and width stay
  QCOMPARE(look.lstReq()->x(), 8);
  QCOMPARE(look.lstReq()->width(), 425);
  QCOMPARE(look.cmdExit()->x(), 8);

  // 1995 twips is not above 2000: nothing changes.
  look.resize(look.width(), 133 - frame);
  QTest::qWait(50);
  QCOMPARE(look.lstReq()->height(), 94);
  QCOMPARE(look.cmdExit()->y(), 106);

  // 2010 twips: the list 825 twips (55), the button 1005 (67).
  look.resize(look.width(), 134 - frame);
  QTRY_COMPARE(look.lstReq()->height(), 55);
  QCOMPARE(look.cmdExit()->y(), 67);
}

// Under a window manager the frame comes after the first showing; the list
// is fitted to the outer height with it (ctest's ui_frame_tests runs this
// under Xvfb and openbox; the offscreen platform draws no frames).
void WindowsTest::requestListCountsTheFrameFromTheFirstShowing() {
  if (QGuiApplication::platformName() == QStringLiteral("offscreen")) {
    QSKIP("no window manager, no frame");
  }
  ui::frmLook look({}, kScale);
  look.show();
  // A busy machine may take its time to frame and activate the window.
  QTRY_VERIFY_WITH_TIMEOUT(FrameHeight(&look) > 0, 30000);
  const int frame = FrameHeight(&look);
  QTRY_COMPARE_WITH_TIMEOUT(look.lstReq()->height(),
                            (6735 + frame * kTwipsPerPixel - 1185) / kTwipsPerPixel, 30000);
  QCOMPARE(look.cmdExit()->y(), look.lstReq()->height() + 12);
}

void WindowsTest::serverMessageWindow() {
  ui::frmWebAccess window(kScale);
  window.ShowCentred();
  QTRY_VERIFY(window.isVisible());
  // What the window shows while it is open.
  struct {
    bool modal = false;
    QPoint centre;
    QWidget* focus = nullptr;
  } open;
  WhenShown([&] { return window.Message(); },
            [&](QWidget* message) {
              open.modal = QApplication::activeModalWidget() == message;
              open.centre = message->frameGeometry().center();
              open.focus = message->focusWidget();
              window.Message()->Command1()->click();
            });
  window.ShowServerMessage("SERVER IS BUSY\r\nCALL <SUPPORT>\r\n\r\nPress exit to continue.");

  ui::frmMessage* message = window.Message();
  QVERIFY(message != nullptr);
  QVERIFY(!message->isVisible());  // Exit closed it, and the call returned
  QVERIFY(open.modal);
  QCOMPARE(open.focus, static_cast<QWidget*>(message->Command1()));
  const QPoint over = window.frameGeometry().center();
  QVERIFY2((open.centre - over).manhattanLength() <= 2,
           qPrintable(QStringLiteral("%1,%2 over %3,%4")
                          .arg(open.centre.x())
                          .arg(open.centre.y())
                          .arg(over.x())
                          .arg(over.y())));

  QCOMPARE(message->windowTitle(), QStringLiteral("Message From Vantorel"));
  QVERIFY(NoMaximizeOrMinimize(message));
  // A dialog of the main window: no task bar entry of its own.
  QCOMPARE(message->windowType(), Qt::Dialog);
  QCOMPARE(message->parentWidget(), static_cast<QWidget*>(&window));
  QCOMPARE(message->size(), QSize(549, 292));
  QCOMPARE(message->lblMessage()->text(),
           QStringLiteral("SERVER IS BUSY\nCALL <SUPPORT>\n\nPress exit to continue."));
  QCOMPARE(message->lblMessage()->textFormat(), Qt::PlainText);
  QCOMPARE(message->lblMessage()->geometry(), QRect(8, 16, 529, 233));
  QCOMPARE(message->lblMessage()->focusPolicy(), Qt::NoFocus);
  CheckFont(message->lblMessage(), 9.75, true, true);
  QCOMPARE(message->Command1()->text(), QStringLiteral("Exit"));
  QCOMPARE(message->Command1()->geometry(), QRect(216, 264, 105, 25));
  CheckFont(message->Command1(), 9.75, true, false);
}

int main(int argc, char** argv) {
  webaccess::platform::PrepareWebEngine();
  QApplication application(argc, argv);
  WindowsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "WindowsTest.moc"
