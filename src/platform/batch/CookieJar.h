#pragma once

#include <string>
#include <vector>

namespace webaccess::platform::batch {

// The server's cookies for one run, in memory only, as a browser keeps them:
// by host (or the domain a cookie names), path and name. A cookie with
// Max-Age 0 or less is removed; Expires is not read, so every other cookie
// lives for the run. A Secure cookie goes only over https.
class CookieJar {
 public:
  // Takes one Set-Cookie header value received from `url`.
  void Store(const std::string& url, const std::string& setCookie);
  // The Cookie header value to send with a request for `url`; empty for none.
  std::string HeaderFor(const std::string& url) const;

  std::size_t Size() const { return cookies_.size(); }

 private:
  struct Cookie {
    std::string name;
    std::string value;
    std::string domain;  // lower case
    bool hostOnly = true;
    std::string path;
    bool secure = false;
  };
  std::vector<Cookie> cookies_;
};

}  // namespace webaccess::platform::batch
