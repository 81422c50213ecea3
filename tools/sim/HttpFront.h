#pragma once

#include <httplib.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "SimServer.h"

namespace webaccess::sim {

// Puts a request handler behind an HTTP server on 127.0.0.1. Every request
// line goes to standard error and, when a log file is given, its target to
// that file, one line per request, flushed at once. The handler's reply is
// written as it says: a redirect's Location exactly as given, a dropped
// connection closed without a byte, a short body announced at its whole
// length and cut in half. Once the answer that ends the process has been
// given, every later request is dropped unanswered. Given a certificate and
// its key (PEM files), it serves https instead of http.
class HttpFront {
 public:
  using Handler = std::function<SimReply(const SimRequest&)>;

  HttpFront(int delayMs, const std::string& logFile, const std::string& certFile = {},
            const std::string& keyFile = {});
  ~HttpFront();
  HttpFront(const HttpFront&) = delete;
  HttpFront& operator=(const HttpFront&) = delete;

  // Binds 127.0.0.1 on the port (0: a free one). False when it cannot.
  bool Bind(int port);
  int Port() const { return port_; }
  std::string BaseUrl() const;
  // False when the log file cannot be opened.
  bool LogOpen() const { return logFile_ != nullptr || !wantsLog_; }
  // False when the certificate or its key cannot be read.
  bool TlsReady() const { return server_->is_valid(); }

  // Serves in a thread of its own until Stop; returns once it is serving.
  void Start(Handler handler);
  void Stop();

  // True once an answer that ends the process has been written.
  bool ExitRequested() const { return exitRequested_; }

 private:
  void Serve(const httplib::Request& request, httplib::Response& response);
  void LogRequest(const httplib::Request& request);

  bool tls_;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  Handler handler_;
  int delayMs_;
  int port_ = -1;
  bool wantsLog_;
  std::FILE* logFile_ = nullptr;
  std::mutex logMutex_;
  std::atomic<bool> exitAfterAnswer_{false};
  std::atomic<bool> exitRequested_{false};
};

// Closes the connection of this process whose local and remote ports are
// given, without a word to the other side.
void DropConnection(int localPort, int remotePort);

}  // namespace webaccess::sim
