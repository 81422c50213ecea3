#pragma once

// clang-format off
#include <windows.h>
#include <winhttp.h>
// clang-format on

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/winhttp/ProxyRules.h"

namespace webaccess::platform {

// What one GET brought.
struct Fetched {
  bool answered = false;  // a status line and all headers came
  long status = 0;
  std::string location;   // the Location header as written; empty without one
  bool complete = false;  // answered, and the whole body came
  std::string error;      // why the request or its body failed
  // Nothing went out: the server's certificate is not trusted.
  bool certificateRefused = false;
};

// The network of webaccess-batch on Windows, over WinHTTP, for the page
// requests and the download alike; safe to use from two threads.
//
// Routes: a URL goes through the proxy the environment names (http_proxy,
// https_proxy, no_proxy, with libcurl's rules, see ProxyRules.h), or else
// the one the system's settings name (Internet Options: a fixed proxy with
// its bypass list, or the proxy script or automatic detection). There is
// one WinHTTP session per route, so requests to one server share its
// cookies and its kept connections.
//
// TLS: before the first request to an https server, its certificate is
// fetched over a handshake of its own and checked against the system's
// authorities and the CA file (WEBACCESS_CA_FILE); a certificate that fails
// the check refuses every request to that server, before any goes out. With
// a CA file, WinHTTP is told to accept authorities it does not know, and
// the certificate of each request's own connection is checked again in the
// moment before the request is sent, which closes the request when it
// fails; without one, WinHTTP checks that connection against the system's
// authorities itself. Redirects are never followed here, so every hop is
// checked so.
class WinHttpNetwork {
 public:
  // How long a connection may take, and how long an answer may stall.
  WinHttpNetwork(std::string caFile, std::function<const char*(const char*)> getenv,
                 int connectTimeoutMs = 30000, int stallTimeoutMs = 60000);
  ~WinHttpNetwork();
  WinHttpNetwork(const WinHttpNetwork&) = delete;
  WinHttpNetwork& operator=(const WinHttpNetwork&) = delete;

  // Where a request under way keeps its handle, so that another thread can
  // abandon it (Abort), which ends it at once.
  struct Slot {
    std::mutex mutex;
    HINTERNET request = nullptr;
    bool aborted = false;
  };
  static void Abort(Slot& slot);

  // GETs `url`, which must be fit for the wire, without following a
  // redirect: the redirect is the answer. The body of a 200 answer goes to
  // `body` (when given); a body that returns false stops the request.
  Fetched Fetch(const std::string& url,
                const std::function<bool(const char*, std::size_t)>& body = {},
                Slot* slot = nullptr);

 private:
  ProxyRoute Route(const std::string& url);
  HINTERNET Session(const std::string& proxy);
  // Nothing when the server's certificate may be trusted; the refusal or
  // the failure to reach it otherwise.
  std::optional<Fetched> CheckServer(const std::string& scheme, const std::string& host,
                                     unsigned short port, const ProxyRoute& route);
  static void CALLBACK OnStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info,
                                DWORD length);

  const std::string caFile_;
  const std::function<const char*(const char*)> getenv_;
  const int connectTimeoutMs_;
  const int stallTimeoutMs_;
  std::mutex mutex_;  // guards the sessions, the routes and the system's session
  std::map<std::string, HINTERNET> sessions_;    // by proxy; "" for none
  std::map<std::string, ProxyRoute> routes_;     // by scheme and authority
  HINTERNET systemSession_ = nullptr;            // for the system's proxy script
  std::mutex checkMutex_;                        // guards the verdicts
  std::map<std::string, std::string> verdicts_;  // by server and proxy: "" trusted, else why not
};

}  // namespace webaccess::platform
