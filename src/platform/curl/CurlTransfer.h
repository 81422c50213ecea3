#pragma once

#include <functional>
#include <string>

#include "platform/curl/CurlCookies.h"
#include "ports/Transfer.h"

namespace webaccess::platform {

// Downloads a whole file with libcurl. Only a complete 200 answer counts:
// any other status, a connection that breaks, or a body shorter than its
// Content-Length is a failure. There is a connect time-out and no total
// time-out, so a large file runs to its end. Bytes of the URL that may not
// stand in a URL (blanks, control bytes, bytes above 0x7E) are escaped.
// One handle serves every download, so its connection to the server stays
// open for the next one. The server's certificate is verified: against the
// system's authorities, and also against a CA file when one is given; a
// certificate that fails is reported as refused (certificateRefused). The
// CA file and the cookies are set before the first download.
class CurlTransfer : public ports::Transfer {
 public:
  // Gives the Cookie header value to send with a URL ("" for none).
  using CookieSource = std::function<std::string(const std::string& url)>;

  explicit CurlTransfer(long connectTimeoutSeconds = 30);
  ~CurlTransfer() override;
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;
  // A PEM file of further authorities to trust; empty for none.
  void SetCaFile(std::string caFile) { caFile_ = std::move(caFile); }
  void SetCookieSource(CookieSource source) { cookies_ = std::move(source); }
  // Or: sends and keeps cookies through libcurl's engine, shared with other
  // handles. `shared` outlives this transfer.
  void SetCookies(const CurlCookies* shared) { shared_ = shared; }

  ports::TransferResult Download(const std::string& url, const Sink& sink) override;

 private:
  long connectTimeoutSeconds_;
  CookieSource cookies_;
  std::string caFile_;
  const CurlCookies* shared_ = nullptr;
  void* handle_ = nullptr;  // the CURL easy handle (CURL is void), made at the first download
};

}  // namespace webaccess::platform
