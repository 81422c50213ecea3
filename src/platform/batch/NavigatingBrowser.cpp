#include "platform/batch/NavigatingBrowser.h"

#include "platform/batch/Url.h"
#include "protocol/PageUrl.h"

namespace webaccess::platform::batch {

NavigatingBrowser::NavigatingBrowser(HttpClient& http, EventLoop& loop, int maxRedirects)
    : http_(http), loop_(loop), maxRedirects_(maxRedirects) {}

void NavigatingBrowser::Navigate(const std::string& url) {
  if (request_ != 0) http_.Cancel(request_);
  ++navigation_;
  redirects_ = 0;
  requested_ = url;
  Hop(url);
}

// Nothing relies on Quit: the program's exit leaves a navigation under way
// and later ones going until the program ends.
void NavigatingBrowser::Quit() {}

void NavigatingBrowser::Hop(const std::string& url) {
  current_ = url;
  // Bytes a URL may not hold (blanks, "|", "<", ...) are escaped on the
  // wire only; the URL the core and the server see stays as written.
  request_ = http_.Get(
      protocol::EscapeUrlBytes(url),
      [this, navigation = navigation_](const HttpAnswer& answer) { Answered(navigation, answer); });
}

void NavigatingBrowser::Failed(const std::string& why) {
  if (log_) log_(current_, why);
  loop_.Post([this, navigation = navigation_, url = requested_, why] {
    if (navigation == navigation_) NotifyRequestFailed(url, why);
  });
}

void NavigatingBrowser::Answered(std::uint64_t navigation, const HttpAnswer& answer) {
  if (navigation != navigation_) return;
  request_ = 0;
  if (answer.certificateRefused) {
    loop_.Post([this, why = answer.error] {
      NotifyCertificateRefused(why);
      certificateRefused_ = true;
    });
    return;
  }
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
    NotifyNavigateComplete(url);
  });
  if (answer.status >= 400) {
    loop_.Post([this, navigation, url = requested_, status = answer.status] {
      if (navigation == navigation_)
        NotifyRequestFailed(url, "HTTP status " + std::to_string(status));
    });
  }
}

}  // namespace webaccess::platform::batch
