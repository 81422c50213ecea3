#pragma once

#include <string>

#include "app/MainForm.h"
#include "platform/curl/CurlTransfer.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtProcess.h"
#include "platform/qt/QtScreen.h"
#include "platform/qt/Twips.h"
#include "platform/system/SystemClock.h"
#include "ports/Platform.h"
#include "protocol/ServerTable.h"
#include "ui/MainFormEvents.h"
#include "ui/frmWebAccess.h"

namespace webaccess::ui {

// The program put together: the main window with the web engine browser and
// the Qt timer, the libcurl transfer with the engine's cookies, the real
// boxes, clock and screen, and the core behind them. `leave` is how the
// process is left when the program ends at once or fails.
class Program {
 public:
  Program(const protocol::Settings& settings, const std::string& commandLine,
          platform::QtProcess::Leave leave = &platform::QtProcess::LeaveNow,
          platform::TwipsScale scale = platform::TwipsScale::ForScreen());
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Both the browser and the transfer trust the authorities of this PEM
  // file besides the system's; empty for none. Before Start.
  void TrustCaFile(const std::string& caFile);
  // Form_Load, then the first showing, centred; the activation that follows
  // through the event queue asks about the order.
  void Start();
  // Once the event loop has ended: what is still open is written out.
  void CloseWorkFiles();

  frmWebAccess& Window() { return window_; }
  app::MainForm& Form() { return form_; }
  const ports::Screen& Screen() const { return screen_; }

 private:
  frmWebAccess window_;
  platform::CurlTransfer transfer_;
  platform::QtEventPump pump_;
  platform::QtScreen screen_;
  platform::SystemClock clock_;
  platform::QtProcess process_;
  platform::QtDialogs dialogs_;
  ports::Platform platform_;
  app::MainForm form_;
  MainFormEvents events_;
};

}  // namespace webaccess::ui
