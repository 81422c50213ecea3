#include "platform/batch/NavigatingBrowser.h"

#include "platform/batch/Url.h"
#include "platform/curl/CurlTransfer.h"

namespace webaccess::platform::batch {

NavigatingBrowser::NavigatingBrowser(HttpClient& http, EventLoop& loop, int maxRedirects)
    : http_(http), loop_(loop), maxRedirects_(maxRedirects) {}

void NavigatingBrowser::Navigate(const std::string& url) {
  if (quit_) return;
  if (request_ != 0) http_.Cancel(request_);
  ++navigation_;
  redirects_ = 0;
  Hop(url);
}

void NavigatingBrowser::Quit() {
  if (request_ != 0) http_.Cancel(request_);
  request_ = 0;
  quit_ = true;
}

void NavigatingBrowser::Hop(const std::string& url) {
  current_ = url;
  // Bytes a URL may not hold (blanks, "|", "<", ...) are escaped on the
  // wire only; the URL the core and the server see stays as written.
  request_ = http_.Get(
      EscapeUrlBytes(url),
      [this, navigation = navigation_](const HttpAnswer& answer) { Answered(navigation, answer); });
}

void NavigatingBrowser::Failed(const std::string& why) {
  if (failure_) failure_(current_, why);
}

void NavigatingBrowser::Answered(std::uint64_t navigation, const HttpAnswer& answer) {
  if (navigation != navigation_) return;
  request_ = 0;
  if (!answer.answered) {
    Failed(answer.error);
    return;
  }
  if (answer.status >= 300 && answer.status < 400 && !answer.location.empty()) {
    if (++redirects_ > maxRedirects_) {
      Failed("more than " + std::to_string(maxRedirects_) + " redirects");
      return;
    }
    Hop(ResolveLocation(current_, answer.location));
    return;
  }
  loop_.Post([this, url = current_] {
    location_ = url;
    NotifyNavigateComplete();
  });
}

}  // namespace webaccess::platform::batch
