#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/batch/EventLoop.h"

namespace webaccess::platform::batch {

// What came back for one GET.
struct HttpAnswer {
  bool answered = false;  // a status line and all headers came; the body may have been cut
  std::string error;      // why nothing usable came, when not answered
  long status = 0;
  std::string location;  // the Location header exactly as written; empty without one
  // Not answered because the server's certificate was not trusted: the
  // connection was closed before the request went out.
  bool certificateRefused = false;
};

// Plain GET requests that run while the event loop turns. Redirects are not
// followed: each answer is reported as it is. The client keeps the cookies
// the server sets and sends them back, as a browser does.
class HttpClient : public EventSource {
 public:
  using Done = std::function<void(const HttpAnswer&)>;

  // Starts a GET of `url`, which must already be fit for the wire. `done`
  // is called from Poll once the answer is in or the request has failed,
  // never from inside Get. Returns an id for Cancel.
  virtual std::uint64_t Get(const std::string& url, Done done) = 0;
  // Abandons the request; its `done` is not called.
  virtual void Cancel(std::uint64_t id) = 0;
};

}  // namespace webaccess::platform::batch
