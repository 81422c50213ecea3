#pragma once

#include <QPointer>
#include <QUrl>
#include <QWebEngineView>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/qt/EngineCookies.h"
#include "platform/qt/Twips.h"
#include "ports/Browser.h"

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
// Quit changes nothing: loads go on and are reported as before.
//
// A certificate that the engine does not trust is refused, never offered to
// the user to accept: the load stops before its request goes out, and the
// refusal handler runs instead of the completion handler. The one exception
// is a chain that verifies, for the page's host, against the authorities of
// the CA file given to SetCaFile (ChainVerifies).
//
// A load that fails (an HTTP error status, no connection) is also told as
// a failure, with the URL that failed and the status or the engine's error,
// after the completion has been told and only when no newer navigation has
// started meanwhile.
class QtWebEngineBrowser final : public ports::Browser {
 public:
  // The view is created hidden, as a child of `parent`.
  QtWebEngineBrowser(QWidget* parent, TwipsScale scale);
  ~QtWebEngineBrowser() override;
  QtWebEngineBrowser(const QtWebEngineBrowser&) = delete;
  QtWebEngineBrowser& operator=(const QtWebEngineBrowser&) = delete;

  void Navigate(const std::string& url) override;
  // The URL of the page now shown, as the server wrote it.
  std::string LocationURL() const;
  void SetVisible(bool visible) override;
  void SetHeight(int twips) override;
  void Quit() override;

  // A PEM file of further authorities to trust; empty for none.
  void SetCaFile(const std::string& caFile);

  QWebEngineView* View() const { return view_; }
  QWebEngineProfile* Profile() const { return profile_.get(); }
  const EngineCookies& Cookies() const { return *cookies_; }

 private:
  TwipsScale scale_;
  std::unique_ptr<QWebEngineProfile> profile_;
  std::unique_ptr<EngineCookies> cookies_;
  QPointer<QWebEngineView> view_;
  bool loading_ = false;                // a load has started and not yet finished
  std::optional<QUrl> next_;            // to load once the stopped load has ended
  std::optional<std::string> refused_;  // why the load under way lost its certificate
  std::string caFile_;
  std::uint64_t navigations_ = 0;                               // Navigate calls so far
  std::optional<std::pair<std::string, std::string>> failure_;  // URL and why, of the last load
};

}  // namespace webaccess::platform
