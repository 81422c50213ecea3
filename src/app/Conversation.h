#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/Credentials.h"
#include "app/RunOutcome.h"
#include "app/WindowLayout.h"
#include "files/WorkFiles.h"
#include "ports/Platform.h"
#include "protocol/Reply.h"

namespace webaccess::app {

inline constexpr const char* kWaitQuestionTitle = "TIRED OF WAITING?";

// The conversation with the server: the logon, the batches of records, the
// waiting, the pick-up of the responses, the replies and the failures. One
// run per program start; the window (MainForm) starts it and passes on the
// browser's and the timer's events.
//
// Every request is a navigation; every reply is the URL at which the
// server's redirects end. A reply that differs from the last one is
// dispatched (protocol::ReadReply says which reply it is):
//
//   Start ─ SendLogon ── V7Begin ──────────► ACTION=LOGON (CID=,UID=)
//                                               │ then: count
//        ┌── V7Message ◄─────────────────────────┘
//        │   ACTION=MSG REPLY=n|TEXT ─► ParseReply ─► V7Message again
//        └─► ACTION=MSG <NONE> ─► ResumeAfterMessages:
//              a message held ABORT ─► "Program Aborted by Web Server, Press Exit"
//              then next record ─► SendNextRecord   then count ─► RequestCount
//              then complete ─► "Tranfers complete, Press Exit To Continue."
//
//   SendNextRecord ─ V7Main REQ &TheRecord=id!record ─► ACTION=NEXT ─► again
//                  ─ V7Main DONE &Batch=id (11th call, or the file ended)
//                  ─ V7Main DONE &Batch=PICKUP (picking up only)
//                        └─► timer, 10 s ─► tick: V7Count (ticks 1, 2),
//                                           V7Message then count (tick 3)
//   V7Count ─► ACTION=COUNT REPLY=NONE   first count: records start
//                                        later: timer 10 s again
//                          REPLY=OKAY   ─► PickUpResponses: DOWN.TXT,
//                                          conversion, V7Delete
//                          REPLY=DELETE ─► V7Delete
//   V7Delete ─► ACTION=DELETED ─► next batch, or then complete and V7Message
//   any ─► ACTION=EXIT REPLY=code ─► the message window, the program ends
//   any ─► V7LOGIN.ASP, ACTION=TERMINAL ─► the window expands for the user
//   a request that fails with nothing more to come ─► the run cannot go on
//   a certificate refused ─► the run stops; nothing more is sent
//   a close asked for during a pick-up ─► waits until the pick-up has ended
//                                          (stored, and its delete answered)
//
// Every step makes all its changes (flags, counters, labels, the timer)
// before the call that sends its request, and nothing after it: sending
// lets pending events run, a reply among them.
//
// The operations are defined in files named for what they hold:
// Conversation.cpp (the surface, NavigateServer, the outcome), Senders.cpp
// (logon, records, batch done, count, message check, delete), Replies.cpp
// (the dispatcher and what each reply does), Waiting.cpp (the poll tick,
// ResumeAfterMessages), PickUp.cpp (download, conversion, delete),
// Failures.cpp (a refused certificate, a failed request).
class Conversation {
 public:
  // Where the conversation stands.
  enum class Stage : std::uint8_t {
    NotStarted,     // Start has not been pressed
    AwaitingReply,  // a request is out
    Waiting,        // nothing is out; the poll timer will ask again
    PickingUp,      // the responses are being downloaded and stored
    Deleting,       // the pick-up's delete request is out
    Idle,           // nothing is out and nothing is due: the run cannot go on
    // The run has ended; these stay.
    Complete,         // the transfers are complete
    AbortedByServer,  // a server message held "ABORT"
    EndedByServerCode,
    CertificateRefused,
    RequestFailed,  // a request failed with nothing more to come
  };

  Conversation(ports::Platform& ports, files::WorkFiles& files, WindowLayout& layout,
               int waitIntervalMs);
  Conversation(const Conversation&) = delete;
  Conversation& operator=(const Conversation&) = delete;

  // Before the run, and during it: who logs on, where the requests go, and
  // whether the run sends records.
  void UseCredentials(const Credentials& credentials) { credentials_ = credentials; }
  void UseServer(std::string baseUrl) { serverBase_ = std::move(baseUrl); }
  void PickUpOnly() { pickUpOnly_ = true; }

  // Start: the run's server messages are forgotten and the logon goes out.
  // The records are read from INQUIRY.QDK, open on channel 7.
  void Start();
  // The browser's navigation ended at `url`.
  void ReplyArrived(const std::string& url);
  // The poll timer fell due.
  void TimerTicked();
  // The browser did not trust the server's certificate.
  void CertificateRefused(const std::string& why);
  // A navigation to `url` failed (`why`: a status or a network error).
  void RequestFailed(const std::string& url, const std::string& why);
  // The window asks to close. While a pick-up is under way (from its
  // download to the reply to its delete request, or the failure of either)
  // the close waits: true, and `close` runs once the pick-up has ended, in
  // place of the run's next step. A later call replaces `close`.
  bool HoldClose(std::function<void()> close);
  // The main window is gone: nothing more is sent and the poll timer stops.
  void WindowClosed();

  // Where the run stands now: Waiting becomes Idle once the poll timer has
  // stopped.
  Stage Where() const;
  RunOutcome Outcome() const;
  // What stopped the run when a request failed or a certificate was
  // refused, as the status line says it; empty otherwise.
  const std::string& StoppedBecause() const { return stoppedBecause_; }
  // The server's messages of the run, each followed by CR LF.
  const std::string& ServerMessages() const { return serverMessages_; }

 private:
  // What ResumeAfterMessages does once the message check has found no more
  // messages.
  enum class AfterMessages : std::uint8_t { Nothing, NextRecord, Count, Complete };

  // Adds one, stopping at the largest 16-bit value instead of overflowing.
  static void Increment(std::int16_t& counter) {
    if (counter < INT16_MAX) ++counter;
  }

  // Sends a request; the conversation then stands at `awaiting`.
  void NavigateServer(std::string_view action, std::string_view page, std::string_view extra,
                      Stage awaiting = Stage::AwaitingReply);
  // Nothing more may go out: the window is gone, or the certificate was refused.
  bool Stopped() const;
  // The poll timer's wait; none once the run has stopped.
  void StartTimer();
  void SetText(ports::Control control, const std::string& text);
  void SetEnabled(ports::Control control, bool enabled);
  // The run has ended: complete, aborted or stopped.
  bool Ended() const;
  // A stage of the run under way; once the run has ended, it stays ended.
  void Enter(Stage stage);
  void End(Stage stage);

  void SendLogon();
  void SendNextRecord();
  void SendBatchDone();
  void RequestCount();
  void MessageCheck();
  void DeleteRequest();

  void Dispatch();
  void LogonAcknowledged(const protocol::Reply& reply);
  void CountReply(const protocol::Reply& reply);
  void DeleteAcknowledged();
  void ServerErrorCode(const protocol::Reply& reply);
  void ParseReply(const protocol::Reply& reply);
  void ResumeAfterMessages();

  void PickUpResponses();
  bool DownloadResponses();
  // The pick-up under way has ended. A close held meanwhile goes on now, in
  // place of the run's next step: true when it did.
  bool PickUpEnded();

  // The run cannot go on and ends at `end`: the trace and the status say why.
  void CannotGoOn(const std::string& text, Stage end = Stage::RequestFailed);

  ports::Platform& ports_;
  files::WorkFiles& files_;
  WindowLayout& layout_;
  const int waitIntervalMs_;

  Credentials credentials_;
  std::string serverBase_;
  std::string serverMessages_;
  std::string reply_;  // the hidden reply field, txtURL
  std::string stoppedBecause_;
  Stage stage_ = Stage::NotStarted;
  std::function<void()> close_;  // held during a pick-up
  bool windowClosed_ = false;

  // The run's own variables. Replies can meet them in any combination, so
  // they stay apart from the stage.
  bool pickUpPending_ = true;   // responses of an earlier run may still wait
  bool abortSeen_ = false;      // a server message held "ABORT"
  bool pickUpOnly_ = false;     // the run sends no records
  bool inquiriesDone_ = false;  // the inquiry file has been read to its end
  bool completedSeen_ = false;  // a download held the completed marker
  bool waitQuestionOpen_ = false;
  std::int16_t batchCount_ = 0;  // records sent in the current batch
  std::int16_t waitTicks_ = 0;   // ticks since the last sign of progress
  std::int16_t recordsSent_ = 0;
  std::int16_t pollTicks_ = 0;  // ticks since the last message check a tick sent
  AfterMessages afterMessages_ = AfterMessages::Nothing;
  std::string batchId_;
};

// Closes every work file and ends the program at once: no unload, no exit
// status of a run.
[[noreturn]] void EndAtOnce(files::WorkFiles& files, ports::Process& process);

// The stage's name, as the enumerator reads.
const char* StageName(Conversation::Stage stage);

}  // namespace webaccess::app
