#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/ProgramGlobals.h"
#include "app/RunOutcome.h"
#include "app/WindowLayout.h"
#include "files/WorkFiles.h"
#include "platform/Platform.h"
#include "protocol/Reply.h"
#include "protocol/ServerTable.h"

namespace webaccess::app {

inline constexpr const char* kDesignedCaption = "Request Records From Vantorel - V";
// The title of the question asked after ten minutes without progress.
inline constexpr const char* kWaitQuestionTitle = "TIRED OF WAITING?";

// The main window's logic, without the window: the run variables, the
// conversation with the server and the work files. The window (or the batch
// runner) forwards its events here; everything the logic needs from outside
// comes through the platform interfaces. The member functions are defined
// in files named for what they hold: MainForm.cpp (load, layout, outcome),
// OrderConfirmation.cpp (activation, Start, pick-up menu), Exit.cpp,
// Navigation.cpp (NavigateServer, the server menu), Senders.cpp (logon,
// records, batch done, count), ReplyDispatcher.cpp (txtURL_Change and the
// replies), Waiting.cpp (tmrWait_Timer, ResumeAfterMessages), PickUp.cpp
// (download, ConvertDownload, delete). protocol/ holds the protocol's own
// pieces: page URLs, the server table, the server codes, the reply parser.
//
// The conversation. Every request is a navigation; every reply is the URL at
// which the server's redirects end, copied into txtURL, whose change runs
// the dispatcher (protocol::ReadReply says which reply it is):
//
//   Start ─ SendLogon ── V7Begin ──────────► ACTION=LOGON (CID=,UID=)
//                                               │ ReplyState Count
//        ┌── V7Message ◄─────────────────────────┘
//        │   ACTION=MSG REPLY=n|TEXT ─► ParseReply ─► V7Message again
//        └─► ACTION=MSG <NONE> ─► ResumeAfterMessages:
//              AbortSeen ─► "Program Aborted by Web Server, Press Exit"
//              NextRecord ─► SendNextRecord   Count ─► RequestCount
//              Complete ─► run complete
//
//   SendNextRecord ─ V7Main REQ &TheRecord=id!record ─► ACTION=NEXT ─► again
//                  ─ V7Main DONE &Batch=id (11th call, or the file ended)
//                  ─ V7Main DONE &Batch=PICKUP (picking up only)
//                        └─► tmrWait, 10 s ─► tick: V7Count (ticks 1, 2),
//                                             V7Message, ReplyState Count (tick 3)
//   V7Count ─► ACTION=COUNT REPLY=NONE   first count: records start
//                                        later: tmrWait 10 s again
//                          REPLY=OKAY   ─► PickUpResponses: DOWN.TXT,
//                                          ConvertDownload, V7Delete
//                          REPLY=DELETE ─► V7Delete
//   V7Delete ─► ACTION=DELETED ─► next batch, or ReplyState Complete and V7Message
//   any ─► ACTION=EXIT REPLY=code ─► frmMessage, the program ends
//   any ─► V7LOGIN.ASP, ACTION=TERMINAL ─► the window expands for the user
class MainForm {
 public:
  MainForm(platform::Platform& platform, protocol::Settings settings, std::string commandLine);
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  // Window events. Each stops the program with an error report when a work
  // file fails.
  void Form_Load();
  void Form_Activate();
  void cmdStart_Click();
  void cmdExit_Click();
  // What Exit does once its question is answered Yes: the browser is told
  // to quit, INQUIRY.QDK is deleted, the run's server messages are shown,
  // and the main window is unloaded. Nothing here stops the wait timer or
  // the browser: while the message window is open the run goes on. A runner
  // without a window calls it directly. While a pick-up is under way the
  // exit waits until the pick-up has finished (see Form_QueryUnload).
  void ConfirmedExit();
  // Asked before the main window closes, by its close box or by the unload
  // that Exit asks for: true holds the window open. A pick-up is under way
  // from the start of its download to the reply to its delete request (or
  // the failure of either); a close asked for meanwhile waits for that end,
  // and then goes on in place of the run's next step: the form unloads the
  // window itself.
  bool Form_QueryUnload();
  // The main window is gone: from here on nothing is sent, whatever event
  // comes, and the poll timer stands still.
  void Form_Unload();
  void mnu_Pick_Up_Click();
  void mnuMain_Click();
  void mnuAlt_Click();
  void mnuTestServer_Click();
  void mnuIP_Click();
  void WebBrowser_NavigateComplete2();
  // The browser would not trust the server's certificate; `why` says what
  // is wrong with it.
  void WebBrowser_CertificateRefused(const std::string& why);
  // A page request failed. When the run was going on and nothing more is
  // scheduled (the poll timer stands still), so that the run cannot go on:
  // one trace line and the status name the page and the status code or
  // network error, and the Exit button reads "Exit". Once the run has ended
  // the failure changes nothing.
  void PageRequestFailed(const std::string& page, const std::string& why);
  // The failed-request line, once a request has failed so that the run
  // cannot go on; empty before.
  const std::string& RequestFailure() const { return requestFailure_; }
  void tmrWait_Timer();

  // Closes every open work file; the program is ending.
  void CloseWorkFiles() noexcept;

  // The operations of the conversation.
  void NavigateServer(std::string_view action, std::string_view page, std::string_view extra);
  void SendLogon();
  void SendNextRecord();
  void SendBatchDone();
  void RequestCount();
  void txtURL_Change();
  void ParseReply(const protocol::Reply& reply);
  void ResumeAfterMessages();
  void PickUpResponses();
  void ArrangeLayout(Layout mode);

  // The hidden reply field: setting a different text runs txtURL_Change.
  void SetReplyText(const std::string& text);
  const std::string& ReplyText() const { return txtURL_; }

  // How the run has ended or stands. A runner that knows that nothing is
  // under way (no request in flight, no tick due) passes `nothingUnderWay`:
  // a run that is neither ended nor waiting for the user then cannot go on.
  RunOutcome Outcome(bool nothingUnderWay = false) const;

  ProgramGlobals& Globals() { return globals_; }
  RunVariables& Run() { return run_; }
  const protocol::Settings& Settings() const { return settings_; }
  files::WorkFiles& WorkFiles() { return files_; }
  const std::string& Caption() const { return caption_; }

 private:
  void Guarded(const std::function<void()>& handler);
  [[noreturn]] void EndAtOnce();
  void SelectServer(const protocol::Server& server);
  void SetText(platform::Control control, const std::string& text);
  void SetEnabled(platform::Control control, bool enabled);
  void MessageCheck();
  void DeleteRequest();
  void LogonAcknowledged(const protocol::Reply& reply);
  void CountReply(const protocol::Reply& reply);
  void DeleteAcknowledged();
  void ServerErrorCode(const protocol::Reply& reply);
  void ConfirmOrder();
  bool DownloadResponses();
  // The server's certificate was refused, by the browser or the transfer:
  // the run stops, with nothing more sent.
  void StopForRefusedCertificate(const std::string& why);
  // The run has stopped for good: nothing more may be sent.
  bool RunStopped() const;
  void RequestCannotGoOn(const std::string& page, const std::string& why);

  // Where the pick-up under way stands, and what the user asked for while it
  // was under way.
  enum class PickUp : std::uint8_t { None, Storing, Deleting };
  enum class Leaving : std::uint8_t { No, Close, Exit };
  // True, with the status saying so, when a pick-up is under way: what was
  // asked for waits for its end.
  bool HoldForPickUp(Leaving asked);
  // The pick-up under way has ended. What was asked for meanwhile goes on
  // now, in place of the run's next step; true when something was.
  bool PickUpEnded();

  platform::Platform& platform_;
  protocol::Settings settings_;
  std::string commandLine_;
  files::WorkFiles files_;
  ProgramGlobals globals_;
  RunVariables run_;
  std::string caption_;
  std::string txtURL_;
  bool waitQuestionOpen_ = false;
  PickUp pickUp_ = PickUp::None;
  Leaving leaving_ = Leaving::No;
  bool unloaded_ = false;
  std::string requestFailure_;
  Layout layout_ = Layout::Compact;         // as ArrangeLayout last left the window
  RunOutcome ended_ = RunOutcome::Running;  // how the run ended, as the status last said
};

}  // namespace webaccess::app
