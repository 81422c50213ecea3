#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "platform/batch/HttpClient.h"
#include "platform/winhttp/WinHttpNetwork.h"

namespace webaccess::platform {

// batch::HttpClient over WinHTTP. The requests run one after the other on a
// thread of their own, with WinHTTP's blocking calls; each answer is posted
// back and handed over by Poll on the loop's thread, so the event loop
// turns while a request runs. Redirects are not followed. A request that is
// cancelled runs to its end unseen (the server takes one request at a time
// anyway); the one under way when the client goes is abandoned at once.
class WinHttpClient : public batch::HttpClient {
 public:
  explicit WinHttpClient(WinHttpNetwork& network);
  ~WinHttpClient() override;
  WinHttpClient(const WinHttpClient&) = delete;
  WinHttpClient& operator=(const WinHttpClient&) = delete;

  std::uint64_t Get(const std::string& url, Done done) override;
  void Cancel(std::uint64_t id) override;

  void Poll() override;
  bool Busy() const override { return !waiting_.empty(); }
  void Wait(int milliseconds) override;

 private:
  void Work();

  struct Job {
    std::uint64_t id;
    std::string url;
  };
  struct Result {
    std::uint64_t id;
    batch::HttpAnswer answer;
  };

  WinHttpNetwork& network_;
  std::uint64_t nextId_ = 1;
  std::map<std::uint64_t, Done> waiting_;  // the loop's thread only
  std::mutex mutex_;                       // guards what follows
  std::condition_variable work_;
  std::condition_variable arrived_;
  std::deque<Job> jobs_;
  std::deque<Result> results_;
  WinHttpNetwork::Slot running_;
  bool stopping_ = false;
  std::thread worker_;  // last: it starts once everything above is in place
};

}  // namespace webaccess::platform
