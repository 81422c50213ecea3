#pragma once

#include <QPointer>
#include <QUrl>
#include <QWebEngineView>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Browser.h"
#include "platform/qt/EngineCookies.h"
#include "platform/qt/Twips.h"

class QWebEngineProfile;
class QWidget;

namespace webaccess::platform {

// The embedded browser on the web engine. It has its own off-the-record
// profile, created with it: cookies and pages live in memory only, and
// nothing is cached, so every request reaches the server.
//
// Navigate loads the URL as the core built it. The completion handler runs
// once for every navigation of the main frame that has ended, after all its
// redirects, from the event loop: for the core's requests and for the pages
// the user opens in the server's logon page alike, and also when the load
// failed (the engine then keeps the URL it tried). A navigation that a newer
// one replaces before it ends completes only once, as the newer one.
// LocationURL gives the page's URL as the server wrote it (ServerWrittenUrl).
// A load that fails for want of an answer (no connection, a proxy that
// refuses or is down, a certificate refused) is also reported to the failure
// handler, before its completion; a page with an error status is not.
// After Quit the browser stops loading, ignores further requests and
// reports nothing more.
class QtWebEngineBrowser final : public Browser {
 public:
  // The view is created hidden, as a child of `parent`.
  QtWebEngineBrowser(QWidget* parent, TwipsScale scale);
  ~QtWebEngineBrowser() override;
  QtWebEngineBrowser(const QtWebEngineBrowser&) = delete;
  QtWebEngineBrowser& operator=(const QtWebEngineBrowser&) = delete;

  void Navigate(const std::string& url) override;
  std::string LocationURL() const override;
  void SetVisible(bool visible) override;
  void SetHeight(int twips) override;
  void Quit() override;

  // The URL tried and the engine's error text.
  using FailureHandler = std::function<void(const std::string& url, const std::string& why)>;
  void SetFailureHandler(FailureHandler handler) { failure_ = std::move(handler); }

  QWebEngineView* View() const { return view_; }
  QWebEngineProfile* Profile() const { return profile_.get(); }
  const EngineCookies& Cookies() const { return *cookies_; }

 private:
  TwipsScale scale_;
  std::unique_ptr<QWebEngineProfile> profile_;
  std::unique_ptr<EngineCookies> cookies_;
  QPointer<QWebEngineView> view_;
  bool quit_ = false;
  bool loading_ = false;      // a load has started and not yet finished
  std::optional<QUrl> next_;  // to load once the stopped load has ended
  FailureHandler failure_;
};

}  // namespace webaccess::platform
