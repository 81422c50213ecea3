#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/Transfer.h"

namespace webaccess::testing {

// A records server that speaks the conversation from its side: it takes the
// logon, records and batch ends, prepares a response file for every record,
// answers the counts, hands the file over and deletes it. Tests change its
// behaviour through the public fields, or answer any request themselves
// through `override`.
class ScriptedServer {
 public:
  explicit ScriptedServer(std::string base) : base_(std::move(base)) {}

  // The final URL of a navigation to `url` ("" when the server never answers).
  std::string Answer(const std::string& url);
  // The response file at `url`, or a failure.
  ports::TransferResult Download(const std::string& url, std::string& bytes);

  // The reply page for a query ("ACTION=NEXT", ...), under the base URL.
  std::string Reply(const std::string& query) const;
  // The response file's bytes for the records, with the completed marker.
  static std::string ResponseFileFor(const std::vector<std::string>& records, bool completed);
  // The two body lines the server prepares for a record.
  static std::vector<std::string> BodyFor(const std::string& record);

  // Behaviour.
  std::string cid = "1234567";
  std::string uid = "ABC123";
  std::optional<std::string> logonReply;  // answered to the logon instead of LOGON
  int readyAfter = 1;                     // counts answered NONE after a batch ends
  std::vector<std::string> waiting;       // records of an earlier run, ready at the first count
  std::deque<std::string> messages;       // server messages, one per message check
  std::deque<std::string> countReplies;   // REPLY= values used before the normal rule
  bool completedWhenEmpty = true;         // pick-up: marks a file with nothing more
  int failDownloads = 0;                  // downloads that fail before one succeeds
  std::function<std::optional<std::string>(const std::string& url)> override;

  // What happened.
  std::vector<std::string> received;       // record texts, in order, decoded
  std::vector<std::string> batchesClosed;  // batch ids of DONE requests
  int deletes = 0;
  int downloads = 0;

 private:
  std::string base_;
  std::vector<std::string> open_;      // records of the batch now being sent
  std::vector<std::string> prepared_;  // records whose responses wait
  bool pickUpRequested_ = false;
  int pollsSinceDone_ = 0;
  bool firstCount_ = true;
};

// Undoes the client's %XX escapes.
std::string PercentDecode(const std::string& text);

}  // namespace webaccess::testing
