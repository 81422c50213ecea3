#pragma once

#include <curl/curl.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/batch/HttpClient.h"
#include "platform/curl/CurlCookies.h"

namespace webaccess::platform::batch {

// HttpClient over the libcurl multi interface. Waiting blocks in
// curl_multi_poll. A request gives up when it cannot connect within
// `connectTimeoutSeconds`, or when it has received nothing for
// `stallSeconds`. Handles of ended requests are kept for the next ones,
// with the options all requests share: setting one up afresh costs more than
// the request on a quick server. The server's certificate is verified
// against the system's authorities, and also against a CA file when one is
// given. The CA file and the cookies are set before the first request.
class CurlHttpClient : public HttpClient {
 public:
  explicit CurlHttpClient(long connectTimeoutSeconds = 30, long stallSeconds = 60);
  ~CurlHttpClient() override;
  CurlHttpClient(const CurlHttpClient&) = delete;
  CurlHttpClient& operator=(const CurlHttpClient&) = delete;

  // A PEM file of further authorities to trust; empty for none.
  void SetCaFile(std::string caFile) { caFile_ = std::move(caFile); }
  // Cookies go through libcurl's engine, shared with other handles;
  // without it none are kept. `shared` outlives this client.
  void SetCookies(const CurlCookies* shared) { shared_ = shared; }

  std::uint64_t Get(const std::string& url, Done done) override;
  void Cancel(std::uint64_t id) override;

  void Poll() override;
  bool Busy() const override { return !requests_.empty(); }
  void Wait(int milliseconds) override;

  struct Request;

 private:
  CURL* TakeHandle();
  void GiveBack(CURL* easy);

  long connectTimeoutSeconds_;
  long stallSeconds_;
  std::string caFile_;
  const CurlCookies* shared_ = nullptr;
  CURLM* multi_;
  std::uint64_t nextId_ = 1;
  std::map<std::uint64_t, std::unique_ptr<Request>> requests_;
  std::vector<CURL*> spare_;
};

}  // namespace webaccess::platform::batch
