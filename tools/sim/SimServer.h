#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Query.h"
#include "ResponseFile.h"
#include "SimOptions.h"

namespace webaccess::sim {

struct SimRequest {
  std::string target;  // path and query as received, escapes as they came
  std::string cookie;  // the Cookie header; empty without one
};

struct SimReply {
  enum class Delivery {
    Normal,
    Drop,       // close the connection without answering
    ShortBody,  // announce the whole body, send half of it, close
  };
  int status = 200;
  std::string location;  // of a redirect, written raw
  std::string setCookie;
  std::string contentType = "text/html";
  std::string body;
  Delivery delivery = Delivery::Normal;
  bool exitAfter = false;  // the process ends once this answer is out
  int holdMs = 0;          // waits this long before it goes out
};

// The server's side of the conversation, without sockets. Every page
// answers with a redirect to a reply page under the base URL:
//
//   V7Begin  &Company=&CompPass=&User=&UserPass=  -> ACTION=LOGON&CID=..&UID=..
//            without a company number             -> V7Login.asp (logon page)
//            with --error CODE                    -> ACTION=EXIT&REPLY=CODE
//   V7Main   ACTION=REQ&TheRecord=ID!RECORD        -> ACTION=NEXT
//            ACTION=DONE&Batch=ID | PICKUP        -> ACTION=QUEUED&BATCH=..
//   V7Count                                       -> ACTION=COUNT&REPLY=NONE | OKAY
//   V7Delete                                      -> ACTION=DELETED
//   V7Message                                     -> ACTION=MSG&REPLY=<NONE> | n|TEXT
//   _ffffs/<company 7><user 6>.TXT                -> the prepared response file
//
// A batch closed by DONE (or a pick-up request) is prepared after
// `readyAfter` count polls answered NONE; the next poll answers OKAY, and the
// file stays until V7Delete. Responses waiting from an earlier run are
// prepared at logon, so the first count answers OKAY.
class SimServer {
 public:
  SimServer(SimOptions options, std::string baseUrl);

  // Thread-safe.
  SimReply Handle(const SimRequest& request);

  // The records received so far, decoded, in order.
  std::vector<std::string> Records() const;

 private:
  SimReply Answer(Page page, const Target& target, const SimRequest& request);
  SimReply Redirect(const std::string& location) const;
  SimReply ToReply(const std::string& query) const;
  SimReply Page200(const std::string& body) const;
  SimReply LogOn(const std::string& company, const std::string& user);
  SimReply LogonPage() const;
  SimReply Main(const Target& target);
  SimReply Count();
  SimReply Message();
  SimReply File(const Target& target) const;
  bool HasSession(const std::string& cookieHeader) const;
  std::optional<FaultKind> TakeFault(Page page, int nthOfPage);
  void Prepare(std::vector<Response> responses, bool completed);

  const SimOptions options_;
  const std::string base_;
  mutable std::mutex mutex_;

  int requests_ = 0;
  std::map<Page, int> perPage_;
  std::vector<bool> faultUsed_;

  std::string companyNumber_;
  std::string userId_;
  std::string session_;  // the session cookie's value; empty before the logon

  int recordsReceived_ = 0;
  int nextResponse_ = 1;
  std::vector<std::string> records_;
  std::vector<Response> openBatch_;
  std::vector<Response> closed_;  // handed over by DONE, not prepared yet
  bool closedWaiting_ = false;    // a DONE or pick-up waits for its count polls
  bool closedCompletes_ = false;  // ... and it is the pick-up that completes
  int pollsSinceDone_ = 0;
  int pickUps_ = 0;
  std::optional<ResponseFileContent> prepared_;
  bool fileMessagesSent_ = false;
  bool earlierPrepared_ = false;

  std::deque<std::string> messages_;
  int messagesSent_ = 0;
};

// The record of the nth response of an earlier run (`waiting`): 58
// characters of its own.
std::string EarlierRecord(int n);

// The response file name the client asks for: the company number as the
// client cuts it from the logon reply ("CID=" up to "UID=", so with the "&"
// behind a short number) in 7 characters, then the user id in 6.
std::string ResponseFileName(const std::string& companyNumber, const std::string& userId);

}  // namespace webaccess::sim
