#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/Conversation.h"
#include "app/RunOutcome.h"
#include "app/WindowLayout.h"
#include "files/WorkFiles.h"
#include "ports/Platform.h"
#include "protocol/ServerTable.h"

namespace webaccess::app {

inline constexpr const char* kDesignedCaption = "Request Records From Vantorel - V";

// The main window's events, without the window: its load, activation and
// unload, Start and Exit, the menus, and the events of its browser and its
// poll timer, which go on to the conversation. The window (or the runner
// without one) calls these; everything the program needs from outside
// comes through the ports. Every event stops the program with an error
// report when a work file fails.
//
// Defined in MainForm.cpp (construction, load, Start, the menus, the
// browser's and the timer's events), OrderConfirmation.cpp (the first
// activation and its questions) and Exit.cpp (Exit and the unload).
class MainForm {
 public:
  MainForm(ports::Platform& ports, protocol::Settings settings, std::string commandLine);
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  void Form_Load();
  void Form_Activate();
  void cmdStart_Click();
  void cmdExit_Click();
  // What Exit does once its question is answered Yes: the browser is told
  // to quit, INQUIRY.QDK is deleted, the run's server messages are shown,
  // and the main window is unloaded. Nothing here stops the run: while the
  // message window is open it goes on. A runner without a window calls it
  // directly. While a pick-up is under way the exit waits until the
  // pick-up has finished (see Form_QueryUnload).
  void ConfirmedExit();
  // Asked before the main window closes, by its close box or by the unload
  // that Exit asks for: true holds the window open. A close asked for while
  // a pick-up is under way waits for the pick-up's end, and then goes on in
  // place of the run's next step: the form unloads the window itself.
  bool Form_QueryUnload();
  // The main window is gone: from here on nothing is sent, whatever event
  // comes, and the poll timer stands still.
  void Form_Unload();
  void mnu_Pick_Up_Click();
  void mnuMain_Click();
  void mnuAlt_Click();
  void mnuTestServer_Click();
  void mnuIP_Click();

  // ArrangeLayout: the window compact, or expanded so that the server's page
  // can be seen and used.
  void ArrangeLayout(Layout mode) { layout_.Arrange(mode); }

  // Closes every open work file; the program is ending.
  void CloseWorkFiles() noexcept;

  const app::Conversation& Conversation() const { return conversation_; }
  RunOutcome Outcome() const { return conversation_.Outcome(); }

  // The items of INQUIRY.QDK for the request list, read on channel 1; none
  // when the file is missing or cannot be read.
  std::vector<std::string> RequestItems();

 private:
  void Guarded(const std::function<void()>& handler);
  void SelectServer(const protocol::Server& server);
  void ConfirmOrder();
  // The run sends no records, and the window says so.
  void PickUpOnly();
  // What the user asked for while a pick-up was under way; an Exit wins
  // over a close.
  enum class Leaving : std::uint8_t { No, Close, Exit };
  // True, with the status saying so, when a pick-up is under way: what was
  // asked for waits for its end.
  bool HoldForPickUp(Leaving asked);
  // The pick-up has ended: what was asked for meanwhile goes on now.
  void LeaveNow();
  void WebBrowser_NavigateComplete2(const std::string& url);
  void WebBrowser_RequestFailed(const std::string& url, const std::string& why);
  void WebBrowser_CertificateRefused(const std::string& why);
  void tmrWait_Timer();

  ports::Platform& ports_;
  const protocol::Settings settings_;
  const std::string commandLine_;
  files::WorkFiles files_;
  WindowLayout layout_;
  app::Conversation conversation_;
  bool firstTime_ = true;  // the main window has not been activated yet
  std::int16_t orderCount_ = 0;
  Leaving leaving_ = Leaving::No;
  bool unloaded_ = false;
};

}  // namespace webaccess::app
