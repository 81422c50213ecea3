#pragma once

#include <httplib.h>

#include <atomic>
#include <string>
#include <thread>

namespace webaccess::testing {

// An HTTP server on 127.0.0.1 at a free port, answering from its own thread.
// Register the handlers on Http() before Start().
class LoopbackServer {
 public:
  LoopbackServer();
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  httplib::Server& Http() { return server_; }
  void Start();
  int Port() const { return port_; }
  // "http://127.0.0.1:PORT", without a final "/".
  std::string Base() const;

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

// Answers every connection on 127.0.0.1 with the same bytes, whatever was
// asked, and closes it: for answers no well-behaved server gives.
class CannedHttpServer {
 public:
  explicit CannedHttpServer(std::string answer);
  ~CannedHttpServer();
  CannedHttpServer(const CannedHttpServer&) = delete;
  CannedHttpServer& operator=(const CannedHttpServer&) = delete;

  int Port() const { return port_; }
  std::string Base() const;

 private:
  void Serve();

  std::string answer_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// A port on 127.0.0.1 that nothing listens on.
int ClosedPort();

}  // namespace webaccess::testing
