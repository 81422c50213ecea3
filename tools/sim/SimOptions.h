#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace webaccess::sim {

// What a request asks for, by the page it names.
enum class Page { Begin, Login, Main, Count, Delete, Message, Reply, Loop, File, Other };

// "V7Begin", "V7Login", "V7Main", "V7Count", "V7Delete", "V7Message",
// "Reply", "Loop", "File", "Other".
const char* PageName(Page page);
std::optional<Page> PageFromName(const std::string& name);  // any case

enum class FaultKind {
  Drop,          // the connection is closed without an answer; the request has no effect
  ServerError,   // 500; the request has no effect
  ShortBody,     // the answer announces more body than it sends, then the connection closes
  RedirectLoop,  // a redirect to a page that redirects to itself for ever; no effect
};

// Where a fault strikes: the nth request for a page, or the nth request of
// any kind when no page is named. Each fault strikes once.
struct FaultPoint {
  FaultKind kind = FaultKind::Drop;
  std::optional<Page> page;
  int occurrence = 1;
};

struct SimOptions {
  int port = 0;  // 0: a free port
  bool interactiveLogon = false;
  int readyAfter = 1;                      // count polls answered NONE after a DONE
  std::map<int, std::string> failRecords;  // record number (from 1) to its error code
  std::vector<std::string> messages;       // answered one per V7Message request
  std::vector<std::string> fileMessages;   // "<MESG>" pieces of the first response file
  std::optional<std::string> error;        // the logon answers ACTION=EXIT with this code
  int waiting = 0;                         // responses of an earlier run waiting at logon
  int pickupRounds = 1;                    // the pick-up that completes
  bool requireCookie = false;
  std::vector<FaultPoint> faults;
  int delayMs = 0;     // before every answer
  int holdFileMs = 0;  // before the response file's answer, on top of delayMs
  int exitAfter = 0;   // the process ends after answering this many requests; 0 never
  int uriLimit = 0;    // a longer request target is answered 414 and has no effect; 0 no limit
  std::string logFile;
  double lifetimeSeconds = 3600;  // the process ends by itself after this; 0 never
  std::string tlsCert;            // with tlsKey: serve https with this certificate
  std::string tlsKey;
  bool help = false;
  bool version = false;
};

// Parses the arguments (without the program name). On a bad argument,
// `error` says what is wrong and nothing is returned. --help and --version
// are reported in `help` and `version`.
std::optional<SimOptions> ParseSimArguments(const std::vector<std::string>& args,
                                            std::string& error);

// The usage text.
std::string SimUsage();

}  // namespace webaccess::sim
