#pragma once

#include <functional>
#include <string>

namespace webaccess::ports {

// The embedded web browser that carries every request to the server.
//
// Navigate returns at once. When a navigation has completed, after any
// redirects, the browser tells the completion handler the URL of the page
// it ended at, as the server wrote it. A navigation whose request failed
// (no answer, an error status, endless redirects) is told to the failure
// handler with the URL that failed and the status or network error; an
// answer with an error status completes first, as a browser shows the error
// page. A navigation stopped because the server's certificate is not trusted
// completes nothing: nothing went out over that connection, and the refusal
// handler hears why. Every handler runs from the event loop, never from
// inside Navigate, and a failure is told only while no newer navigation has
// started.
class Browser {
 public:
  virtual ~Browser() = default;

  virtual void Navigate(const std::string& url) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetHeight(int twips) = 0;
  virtual void Quit() = 0;

  using Completed = std::function<void(const std::string& url)>;
  using Failed = std::function<void(const std::string& url, const std::string& why)>;
  using Refused = std::function<void(const std::string& why)>;
  void SetHandlers(Completed completed, Failed failed, Refused refused) {
    completed_ = std::move(completed);
    failed_ = std::move(failed);
    refused_ = std::move(refused);
  }

 protected:
  void NotifyNavigateComplete(const std::string& url) {
    if (completed_) completed_(url);
  }
  void NotifyRequestFailed(const std::string& url, const std::string& why) {
    if (failed_) failed_(url, why);
  }
  void NotifyCertificateRefused(const std::string& why) {
    if (refused_) refused_(why);
  }

 private:
  Completed completed_;
  Failed failed_;
  Refused refused_;
};

}  // namespace webaccess::ports
