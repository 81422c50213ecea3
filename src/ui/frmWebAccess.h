#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>

#include "platform/qt/QtWaitTimer.h"
#include "platform/qt/QtWebEngineBrowser.h"
#include "platform/qt/Twips.h"
#include "ports/MainView.h"
#include "ui/frmMessage.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace webaccess::ui {

class WindowEvents;
class frmLook;

// "Request Records From Vantorel - V": the main window as designed, with the
// embedded browser (WebBrowser) and the poll timer (tmrWait) among its
// controls. It shows what the core writes and passes its events on; the
// logic is all in the core.
//
// Sizes are designed in twips and drawn at the screen's logical dots per
// inch. Controls sit at their designed places in the client area below the
// menu bar and never move; the core sizes and places the window through
// Geometry and SetGeometry, which read and write the outer rectangle (menu
// bar and any frame included). The user cannot resize the window. The frame
// is known only once the window is on the screen (and may change with the
// window manager's mood): whenever the frame's size changes, the window is
// fitted again to the outer height and place last asked for, the client area
// keeping its designed width.
//
// Form_Activate is passed on when the window is first shown and each time the
// request list or the server message window closes over it. Qt's own
// activations (a message box closing, coming back from another program) are
// not activations of the form. Closing the window by any way asks
// Form_QueryUnload first, which may hold it open, and then runs Form_Unload.
class frmWebAccess final : public QMainWindow, public ports::MainView {
 public:
  explicit frmWebAccess(platform::TwipsScale scale = platform::TwipsScale::ForScreen());
  ~frmWebAccess() override;

  void Attach(WindowEvents* events) { events_ = events; }

  platform::QtWebEngineBrowser& WebBrowser() { return *browser_; }
  platform::QtWaitTimer& tmrWait() { return tmrWait_; }

  void SetText(ports::Control control, const std::string& text) override;
  void SetEnabled(ports::Control control, bool enabled) override;
  ports::WindowRect Geometry() const override;
  void SetGeometry(const ports::WindowRect& rect) override;

  // Shows the window for the first time, centred on the screen.
  void ShowCentred();
  // "Look at Requests": the request list, modal; returns when it is closed.
  void mnuLook_Click();
  // The server message window, modal over this window; returns when it is
  // closed.
  void ShowServerMessage(const std::string& text);

  QPushButton* cmdExit() const { return cmdExit_; }
  QPushButton* cmdStart() const { return cmdStart_; }
  QLabel* lblDisplay() const { return lblDisplay_; }
  QLabel* lblServer() const { return lblServer_; }
  QLabel* lblOrdering() const { return lblOrdering_; }
  QLineEdit* txtURL() const { return txtURL_; }
  QWidget* ClientArea() const { return centralWidget(); }
  frmLook* Look() const { return look_.get(); }
  frmMessage* Message() const { return message_; }
  const platform::TwipsScale& Scale() const { return scale_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void ActivateLater();
  QPoint ScreenOrigin() const;
  QSize FrameSize() const;
  void KeepRequestedGeometry();
  template <typename Handler>
  void Forward(Handler handler);

  platform::TwipsScale scale_;
  WindowEvents* events_ = nullptr;
  QPushButton* cmdExit_ = nullptr;
  QPushButton* cmdStart_ = nullptr;
  QLineEdit* txtURL_ = nullptr;
  QLabel* lblDisplay_ = nullptr;
  QLabel* lblServer_ = nullptr;
  QLabel* lblOrdering_ = nullptr;
  std::unique_ptr<platform::QtWebEngineBrowser> browser_;
  platform::QtWaitTimer tmrWait_;
  std::unique_ptr<frmLook> look_;
  QPointer<frmMessage> message_;
  // The outer rectangle last asked for, and the frame's share of it then.
  std::optional<ports::WindowRect> requested_;
  QSize requestedFrame_;
  bool shown_ = false;
  bool unloaded_ = false;
};

}  // namespace webaccess::ui
