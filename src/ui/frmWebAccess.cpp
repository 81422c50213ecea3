#include "ui/frmWebAccess.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QWebEngineView>
#include <algorithm>
#include <cmath>

#include "platform/qt/DisplayText.h"
#include "ui/AppIcon.h"
#include "ui/DesignFonts.h"
#include "ui/WindowEvents.h"
#include "ui/frmLook.h"
#include "ui/frmMessage.h"

namespace webaccess::ui {
namespace {

constexpr int kClientWidth = 11985;
constexpr int kClientHeight = 8940;

// The client area below the menu bar, with the two designed lines drawn on it.
class DesignedClientArea final : public QWidget {
 public:
  DesignedClientArea(QWidget* parent, const platform::TwipsScale& scale)
      : QWidget(parent), scale_(scale) {
    setObjectName(QStringLiteral("ClientArea"));
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(QPen(palette().windowText(), 2));
    // Line2 runs from (10, 10) to (12000, 0), Line1 from (0, 360) to (12000, 360).
    painter.drawLine(Point(10, 10), Point(12000, 0));
    painter.drawLine(Point(0, 360), Point(12000, 360));
  }

 private:
  QPoint Point(int x, int y) const { return {scale_.ToPixelsX(x), scale_.ToPixelsY(y)}; }

  platform::TwipsScale scale_;
};

QLabel* DesignedLabel(QWidget* parent, const char* name, const char* text, double points,
                      const QRect& place) {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setFont(SansFont(points, true));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(place);
  return label;
}

QPushButton* DesignedButton(QWidget* parent, const char* name, const char* text,
                            const QRect& place) {
  auto* button = new QPushButton(QString::fromLatin1(text), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setFont(SansFont(12, true));
  button->setGeometry(place);
  return button;
}

}  // namespace

frmWebAccess::frmWebAccess(platform::TwipsScale scale)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      scale_(scale) {
  setObjectName(QStringLiteral("frmWebAccess"));
  setWindowTitle(QStringLiteral("Request Records From Vantorel - V"));
  setWindowIcon(AppIcon());

  auto* client = new DesignedClientArea(this, scale_);
  setCentralWidget(client);

  // In the order of their tab positions.
  cmdExit_ = DesignedButton(client, "cmdExit", "Exit", scale_.ToPixels(10440, 600, 1335, 495));
  cmdStart_ = DesignedButton(client, "cmdStart", "Start", scale_.ToPixels(240, 600, 1335, 495));
  browser_ = std::make_unique<platform::QtWebEngineBrowser>(client, scale_);
  QWidget* view = browser_->View();
  view->setGeometry(scale_.ToPixels(240, 1320, 11535, 6105));
  // The reply field is never in view: it lies below the client area in
  // both layouts, and is hidden so that it takes no focus either.
  txtURL_ = new QLineEdit(client);
  txtURL_->setObjectName(QStringLiteral("txtURL"));
  txtURL_->setGeometry(scale_.ToPixels(240, 7800, 11175, 285));
  txtURL_->hide();
  setTabOrder(cmdExit_, cmdStart_);
  setTabOrder(cmdStart_, view);
  setTabOrder(view, txtURL_);

  lblDisplay_ =
      DesignedLabel(client, "lblDisplay", "", 9.75, scale_.ToPixels(1800, 600, 8055, 615));
  lblDisplay_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  lblDisplay_->setWordWrap(true);
  lblServer_ =
      DesignedLabel(client, "lblServer", "Main Sever", 8.25, scale_.ToPixels(240, 80, 3735, 255));
  lblOrdering_ =
      DesignedLabel(client, "lblOrdering", "", 8.25, scale_.ToPixels(8640, 80, 3135, 255));
  lblOrdering_->setAlignment(Qt::AlignRight | Qt::AlignTop);

  QObject::connect(cmdStart_, &QPushButton::clicked, this,
                   [this] { Forward(&WindowEvents::cmdStart_Click); });
  QObject::connect(cmdExit_, &QPushButton::clicked, this,
                   [this] { Forward(&WindowEvents::cmdExit_Click); });
  BuildMenus();

  // As designed: the client area 11985 by 8940 twips below the menu bar.
  setFixedSize(scale_.ToPixelsX(kClientWidth),
               menuBar()->sizeHint().height() + scale_.ToPixelsY(kClientHeight));
  cmdExit_->setFocus();
}

frmWebAccess::~frmWebAccess() = default;

template <typename Handler>
void frmWebAccess::Forward(Handler handler) {
  if (events_ != nullptr) (events_->*handler)();
}

void frmWebAccess::BuildMenus() {
  // No item has an access key or a shortcut.
  QMenu* options = menuBar()->addMenu(QStringLiteral("Options"));
  options->setObjectName(QStringLiteral("mnuOptions"));
  QAction* pickUp = options->addAction(QStringLiteral("Pick Up Only"));
  pickUp->setObjectName(QStringLiteral("mnu_Pick_Up"));
  QObject::connect(pickUp, &QAction::triggered, this,
                   [this] { Forward(&WindowEvents::mnu_Pick_Up_Click); });
  QAction* look = options->addAction(QStringLiteral("Look at Requests"));
  look->setObjectName(QStringLiteral("mnuLook"));
  QObject::connect(look, &QAction::triggered, this, [this] { mnuLook_Click(); });

  QMenu* server = menuBar()->addMenu(QStringLiteral("Server"));
  server->setObjectName(QStringLiteral("mnuAltSite"));
  const struct {
    const char* name;
    const char* caption;
    void (WindowEvents::*handler)();
    bool enabled;
  } items[] = {
      {"mnuAlt", "Connect To Alternate Server", &WindowEvents::mnuAlt_Click, true},
      {"mnuMain", "Connect to Main Server", &WindowEvents::mnuMain_Click, true},
      // Switched off as designed: the user cannot choose these two.
      {"mnuTestServer", "Connect to Test Server", &WindowEvents::mnuTestServer_Click, false},
      {"mnuIP", "Connect to IP Address", &WindowEvents::mnuIP_Click, false},
  };
  for (const auto& item : items) {
    QAction* action = server->addAction(QString::fromLatin1(item.caption));
    action->setObjectName(QString::fromLatin1(item.name));
    action->setEnabled(item.enabled);
    QObject::connect(action, &QAction::triggered, this,
                     [this, handler = item.handler] { Forward(handler); });
  }
}

void frmWebAccess::SetText(ports::Control control, const std::string& text) {
  const QString display = platform::DisplayText(text);
  switch (control) {
    case ports::Control::Caption:
      setWindowTitle(display);
      break;
    case ports::Control::lblDisplay:
      lblDisplay_->setText(display);
      break;
    case ports::Control::lblServer:
      lblServer_->setText(display);
      break;
    case ports::Control::lblOrdering:
      lblOrdering_->setText(display);
      break;
    case ports::Control::cmdStart:
      cmdStart_->setText(display);
      break;
    case ports::Control::cmdExit:
      cmdExit_->setText(display);
      break;
    case ports::Control::txtURL:
      txtURL_->setText(display);
      break;
  }
}

void frmWebAccess::SetEnabled(ports::Control control, bool enabled) {
  switch (control) {
    case ports::Control::Caption:
      break;
    case ports::Control::lblDisplay:
      lblDisplay_->setEnabled(enabled);
      break;
    case ports::Control::lblServer:
      lblServer_->setEnabled(enabled);
      break;
    case ports::Control::lblOrdering:
      lblOrdering_->setEnabled(enabled);
      break;
    case ports::Control::cmdStart:
      cmdStart_->setEnabled(enabled);
      break;
    case ports::Control::cmdExit:
      cmdExit_->setEnabled(enabled);
      break;
    case ports::Control::txtURL:
      txtURL_->setEnabled(enabled);
      break;
  }
}

QPoint frmWebAccess::ScreenOrigin() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().topLeft() : QPoint();
}

ports::WindowRect frmWebAccess::Geometry() const {
  const QRect outer = frameGeometry().translated(-ScreenOrigin());
  return {scale_.ToTwipsX(outer.x()), scale_.ToTwipsY(outer.y()), scale_.ToTwipsX(outer.width()),
          scale_.ToTwipsY(outer.height())};
}

QSize frmWebAccess::FrameSize() const { return frameGeometry().size() - geometry().size(); }

void frmWebAccess::SetGeometry(const ports::WindowRect& rect) {
  // The toolkit sizes the inside of a window and places its frame: the
  // frame's share (none before the window is first shown) comes off the size.
  const QSize frame = FrameSize();
  requested_ = rect;
  requestedFrame_ = frame;
  const QSize inside(std::max(1, scale_.ToPixelsX(rect.width) - frame.width()),
                     std::max(1, scale_.ToPixelsY(rect.height) - frame.height()));
  setFixedSize(inside);
  move(ScreenOrigin() + QPoint(scale_.ToPixelsX(rect.left), scale_.ToPixelsY(rect.top)));
}

void frmWebAccess::KeepRequestedGeometry() {
  const QSize frame = FrameSize();
  if (!requested_ || frame == requestedFrame_) return;
  // The height is the core's; the width it only ever reads and writes back,
  // so the client area keeps its designed width and the frame's comes on top.
  // The core always centres the window across: it stays centred.
  ports::WindowRect rect = *requested_;
  const int growth = scale_.ToTwipsX(frame.width() - requestedFrame_.width());
  rect.width += growth;
  rect.left -= growth / 2;
  SetGeometry(rect);
}

void frmWebAccess::ShowCentred() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    ports::WindowRect rect = Geometry();
    const QSize area(scale_.ToTwipsX(screen->geometry().width()),
                     scale_.ToTwipsY(screen->geometry().height()));
    rect.left = static_cast<int>(std::floor((area.width() - rect.width) / 2.0));
    rect.top = static_cast<int>(std::floor((area.height() - rect.height) / 2.0));
    SetGeometry(rect);
  }
  show();
}

void frmWebAccess::mnuLook_Click() {
  if (!look_) {
    look_ = std::make_unique<frmLook>(
        [this] {
          return events_ != nullptr ? events_->RequestItems() : std::vector<std::string>{};
        },
        scale_);
  }
  look_->ShowModal();
  ActivateLater();
}

void frmWebAccess::ShowServerMessage(const std::string& text) {
  if (message_ == nullptr) message_ = new frmMessage(this, scale_);
  message_->SetMessage(text);
  message_->ShowModal();
  ActivateLater();
}

void frmWebAccess::ActivateLater() {
  // Through the event queue, as the toolkit delivers an activation: the
  // handler that showed the other window finishes first.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!unloaded_) Forward(&WindowEvents::Form_Activate);
      },
      Qt::QueuedConnection);
}

void frmWebAccess::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  KeepRequestedGeometry();
  if (shown_) return;
  shown_ = true;
  ActivateLater();
}

void frmWebAccess::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  KeepRequestedGeometry();
}

void frmWebAccess::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  KeepRequestedGeometry();
}

void frmWebAccess::closeEvent(QCloseEvent* event) {
  // The logic may hold the window open until the work under way has
  // finished; it closes the window itself then.
  if (events_ != nullptr && !unloaded_ && events_->Form_QueryUnload()) {
    event->ignore();
    return;
  }
  unloaded_ = true;
  Forward(&WindowEvents::Form_Unload);
  event->accept();
}

}  // namespace webaccess::ui
