#pragma once

#include <functional>
#include <string>

namespace webaccess::platform {

// The embedded web browser that carries every request to the server.
// Navigate returns at once; when the navigation has completed (after any
// redirects) the browser calls the completion handler from the event loop,
// never from inside Navigate.
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

 protected:
  void NotifyNavigateComplete() {
    if (navigateComplete_) navigateComplete_();
  }

 private:
  std::function<void()> navigateComplete_;
};

}  // namespace webaccess::platform
