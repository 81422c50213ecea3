#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/batch/EventLoop.h"
#include "platform/batch/HttpClient.h"
#include "platform/batch/Url.h"
#include "ports/Browser.h"

namespace webaccess::platform::batch {

// A browser without a screen. A navigation is a GET that follows the
// server's redirects; when it ends at a page that is not a redirect, its
// completion becomes a pending event of the loop, with the URL of that page
// exactly as the server wrote it in the last Location (or the navigated URL
// itself when nothing redirected). An answer of any status completes, as a
// browser shows an error page; one of 400 and above is then told as a
// failure too. A body cut short counts as an answer.
//
// A navigation that gets no answer (no connection, a dropped connection,
// more than `maxRedirects` redirects) completes nothing and is told as a
// failure, with the URL the navigation was sent to. Failures are pending
// events too, dropped when a newer navigation has started by the time they
// run. A new navigation abandons the one under way. The HTTP client keeps
// the server's cookies. A server whose certificate is not trusted is
// refused: the refusal is told, and CertificateRefused holds from then on.
class NavigatingBrowser : public ports::Browser {
 public:
  // Hears at once of a request that got no answer: the URL of the hop that
  // failed, as written, and why. For a report; the run hears through the
  // browser's own handlers.
  using FailureLog = std::function<void(const std::string& url, const std::string& why)>;

  NavigatingBrowser(HttpClient& http, EventLoop& loop, int maxRedirects = kMaxRedirects);

  void Navigate(const std::string& url) override;
  void SetVisible(bool visible) override { visible_ = visible; }
  void SetHeight(int) override {}
  void Quit() override;

  // The URL the last completed navigation ended at.
  const std::string& LocationURL() const { return location_; }
  bool Visible() const { return visible_; }
  bool Busy() const { return request_ != 0; }
  bool CertificateRefused() const { return certificateRefused_; }
  void SetFailureLog(FailureLog log) { log_ = std::move(log); }

 private:
  void Hop(const std::string& url);
  void Answered(std::uint64_t navigation, const HttpAnswer& answer);
  void Failed(const std::string& why);

  HttpClient& http_;
  EventLoop& loop_;
  const int maxRedirects_;
  FailureLog log_;
  std::uint64_t navigation_ = 0;  // serial number of the navigation under way
  std::uint64_t request_ = 0;     // its request in flight; 0 for none
  int redirects_ = 0;
  std::string current_;    // the URL of the hop under way, as written
  std::string requested_;  // the URL the navigation under way was sent to
  std::string location_;
  bool visible_ = false;
  bool certificateRefused_ = false;
};

}  // namespace webaccess::platform::batch
