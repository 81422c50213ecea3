#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/ports/Browser.h"
#include "platform/batch/EventLoop.h"
#include "platform/batch/HttpClient.h"

namespace webaccess::platform::batch {

// A browser without a screen. A navigation is a GET that follows the
// server's redirects; when it ends at a page that is not a redirect, its
// completion becomes a pending event of the loop, and LocationURL is the
// URL of that page exactly as the server wrote it in the last Location (or
// the navigated URL itself when nothing redirected). An answer of any status
// counts, as a browser shows an error page; a body cut short counts too.
//
// A navigation that gets no answer (no connection, a dropped connection,
// more than `maxRedirects` redirects) completes nothing: the failure goes to
// the failure handler, as a browser would show its own error page. A new
// navigation abandons the one under way. The HTTP client keeps the
// server's cookies. A server whose certificate is not trusted is refused:
// the refusal handler runs, and CertificateRefused holds from then on.
class NavigatingBrowser : public ports::Browser {
 public:
  using FailureHandler = std::function<void(const std::string& url, const std::string& why)>;

  // How the last navigation failed: the URL it was sent to, and the status
  // ("HTTP status 414") or the network error.
  struct Failure {
    std::string url;
    std::string why;
  };

  NavigatingBrowser(HttpClient& http, EventLoop& loop, int maxRedirects = 20);

  void Navigate(const std::string& url) override;
  std::string LocationURL() const override { return location_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  void SetHeight(int) override {}
  void Quit() override;

  bool Visible() const { return visible_; }
  bool Busy() const { return request_ != 0; }
  bool CertificateRefused() const { return certificateRefused_; }
  void SetFailureHandler(FailureHandler handler) { failure_ = std::move(handler); }
  // Set when the last navigation got no answer or ended at an error status
  // (400 and above), which still completes it; cleared by the next Navigate.
  const std::optional<Failure>& LastFailure() const { return lastFailure_; }

 private:
  void Hop(const std::string& url);
  void Answered(std::uint64_t navigation, const HttpAnswer& answer);
  void Failed(const std::string& why);

  HttpClient& http_;
  EventLoop& loop_;
  const int maxRedirects_;
  FailureHandler failure_;
  std::uint64_t navigation_ = 0;  // serial number of the navigation under way
  std::uint64_t request_ = 0;     // its request in flight; 0 for none
  int redirects_ = 0;
  std::string current_;    // the URL of the hop under way, as written
  std::string requested_;  // the URL the navigation under way was sent to
  std::optional<Failure> lastFailure_;
  std::string location_;
  bool visible_ = false;
  bool certificateRefused_ = false;
};

}  // namespace webaccess::platform::batch
