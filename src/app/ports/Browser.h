#pragma once

#include <functional>
#include <string>

namespace webaccess::ports {

// The embedded web browser that carries every request to the server.
// Navigate returns at once; when the navigation has completed (after any
// redirects) the browser calls the completion handler from the event loop,
// never from inside Navigate. A navigation stopped because the server's
// certificate is not trusted completes nothing: nothing went out over that
// connection, and the browser calls the refusal handler instead, with the
// reason, from the event loop too.
class Browser {
 public:
  virtual ~Browser() = default;

  virtual void Navigate(const std::string& url) = 0;
  // The URL of the page now shown, after all redirects, as the server wrote it.
  virtual std::string LocationURL() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetHeight(int twips) = 0;
  virtual void Quit() = 0;

  void SetNavigateCompleteHandler(std::function<void()> handler) {
    navigateComplete_ = std::move(handler);
  }
  void SetCertificateRefusedHandler(std::function<void(const std::string& why)> handler) {
    certificateRefused_ = std::move(handler);
  }

 protected:
  void NotifyNavigateComplete() {
    if (navigateComplete_) navigateComplete_();
  }
  void NotifyCertificateRefused(const std::string& why) {
    if (certificateRefused_) certificateRefused_(why);
  }

 private:
  std::function<void()> navigateComplete_;
  std::function<void(const std::string& why)> certificateRefused_;
};

}  // namespace webaccess::ports
