#pragma once

#include <QNetworkCookieJar>
#include <string>

class QNetworkCookie;
class QWebEngineCookieStore;

namespace webaccess::platform {

// The web engine's cookies, kept in memory as the engine adds and removes
// them, so that the response file's download goes out with the same session
// as the browser's requests.
class EngineCookies {
 public:
  // Follows the store from now on; the store must outlive this object.
  explicit EngineCookies(QWebEngineCookieStore* store);
  EngineCookies();  // follows nothing; fed through Add and Remove
  EngineCookies(const EngineCookies&) = delete;
  EngineCookies& operator=(const EngineCookies&) = delete;

  void Add(const QNetworkCookie& cookie);
  void Remove(const QNetworkCookie& cookie);

  // The Cookie header value for a request to the URL ("" for none): the
  // cookies whose domain, path and secure flag fit the URL and that have not
  // expired, "name=value" pairs joined by "; ". The URL may hold blanks.
  std::string HeaderFor(const std::string& url) const;

 private:
  QNetworkCookieJar jar_;
};

}  // namespace webaccess::platform
