#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace webaccess::ports {

struct TransferResult {
  bool ok = false;
  std::string error;  // what went wrong, for the status line and the trace
  // Not ok because the server's certificate was not trusted: the connection
  // was closed before the request went out.
  bool certificateRefused = false;
};

// Fetches a whole file over HTTP or HTTPS. The bytes are handed to the sink in
// order as they arrive; a sink that returns false stops the transfer. Only a
// complete 200 answer is a success: any other status, a broken connection or
// a body shorter than announced is a failure, never data.
class Transfer {
 public:
  using Sink = std::function<bool(const char* data, std::size_t size)>;

  virtual ~Transfer() = default;
  virtual TransferResult Download(const std::string& url, const Sink& sink) = 0;
};

}  // namespace webaccess::ports
