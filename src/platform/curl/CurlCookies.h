#pragma once

namespace webaccess::platform {

// The server's cookies for one run, kept by libcurl's own cookie engine in
// memory only (nothing is read from or written to a file) and shared by every
// handle that uses them, so that the page requests and the download send the
// same session cookie. libcurl keeps them as browsers do: by domain, path and
// name, with their expiry and the Secure flag.
class CurlCookies {
 public:
  CurlCookies();
  ~CurlCookies();
  CurlCookies(const CurlCookies&) = delete;
  CurlCookies& operator=(const CurlCookies&) = delete;

  // Lets the easy handle (a CURL*) send and keep cookies through the shared
  // engine. To be set again after curl_easy_reset.
  void Use(void* easy) const;

 private:
  void* share_;  // the CURLSH handle
};

}  // namespace webaccess::platform
