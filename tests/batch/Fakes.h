#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "batch/Terminal.h"
#include "platform/batch/HttpClient.h"
#include "ports/Transfer.h"
#include "support/FakePlatform.h"
#include "support/SimulatedServer.h"

namespace webaccess::batch::testing {

using webaccess::testing::SimulatedServer;
using webaccess::testing::TargetOf;

// An HttpClient whose requests are answered by the simulated server at the
// first Poll after they were started, never inside Get; the
// further hops of a redirect are answered by that same Poll.
// Waiting advances the virtual clock instead of sleeping. Like the HTTP
// library's cookie engine, it keeps the session cookie the server sets and
// sends it back with every later request.
class SimHttp : public platform::batch::HttpClient {
 public:
  SimHttp(SimulatedServer& server, ::webaccess::testing::VirtualClock& clock)
      : server_(server), clock_(clock) {}

  std::uint64_t Get(const std::string& url, Done done) override;
  void Cancel(std::uint64_t id) override { pending_.erase(id); }
  void Poll() override;
  bool Busy() const override { return !pending_.empty(); }
  void Wait(int milliseconds) override;

  // Called at every Get, before the request is queued.
  std::function<void(const std::string& url)> onGet;
  // The wire URLs and Cookie headers of every request, in order.
  std::vector<std::pair<std::string, std::string>> requests;
  // The Cookie header that goes with the next request.
  const std::string& Cookie() const { return cookie_; }

 private:
  struct Pending {
    std::string url;
    std::string cookie;
    Done done;
  };
  void AnswerOne(Pending& request);

  SimulatedServer& server_;
  ::webaccess::testing::VirtualClock& clock_;
  std::uint64_t nextId_ = 1;
  std::map<std::uint64_t, Pending> pending_;
  std::string cookie_;
};

// The response download from the same simulated server, with the cookie of
// the page requests; any answer but a whole 200 is a failure.
class SimTransfer : public ports::Transfer {
 public:
  SimTransfer(SimulatedServer& server, const SimHttp& http) : server_(server), http_(http) {}
  ports::TransferResult Download(const std::string& url, const Sink& sink) override;

 private:
  SimulatedServer& server_;
  const SimHttp& http_;
};

// Keeps what is printed; answers questions from a script when it can ask.
class RecordingTerminal : public Terminal {
 public:
  void Print(const std::string& line) override { printed.push_back(line); }
  void Report(const std::string& line) override { reported.push_back(line); }
  bool CanAsk() const override { return canAsk; }
  Reply Ask(const std::string&, std::optional<long long> timeLimitMs) override;

  // Everything printed and reported, one line each.
  std::string All() const;

  bool canAsk = false;
  std::vector<Reply> replies;  // given in order; then NoInput
  std::vector<std::optional<long long>> limitsSeen;
  std::vector<std::string> printed;
  std::vector<std::string> reported;
};

}  // namespace webaccess::batch::testing
