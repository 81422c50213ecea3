#pragma once

#include "platform/winhttp/WinHttpNetwork.h"
#include "ports/Transfer.h"

namespace webaccess::platform {

// Downloads a whole file over WinHTTP, on the caller's thread, following
// redirects (at most 20, each hop a request of its own). Only a complete
// 200 answer counts: any other status, a connection that breaks, or a body
// shorter than its Content-Length is a failure. Bytes of the URL that may
// not stand in a URL are escaped. It shares the network's sessions, so the
// page requests' cookies go with it.
class WinHttpTransfer : public ports::Transfer {
 public:
  explicit WinHttpTransfer(WinHttpNetwork& network) : network_(network) {}

  ports::TransferResult Download(const std::string& url, const Sink& sink) override;

 private:
  WinHttpNetwork& network_;
};

}  // namespace webaccess::platform
