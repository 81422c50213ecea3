#include "platform/qt/QtWebEngineBrowser.h"

#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <utility>

#include "platform/curl/CurlTransfer.h"
#include "platform/qt/EngineUrl.h"

namespace webaccess::platform {

QtWebEngineBrowser::QtWebEngineBrowser(QWidget* parent, TwipsScale scale)
    : scale_(scale),
      profile_(std::make_unique<QWebEngineProfile>()),  // no storage name: off the record
      cookies_(std::make_unique<EngineCookies>(profile_->cookieStore())),
      view_(new QWebEngineView(parent)) {
  // The replies are redirects to URLs that come again and again (every
  // count request is the same URL): a cached answer would never reach the
  // server.
  profile_->setHttpCacheType(QWebEngineProfile::NoCache);
  // No icon requests to the server besides the pages themselves.
  profile_->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
  view_->setPage(new QWebEnginePage(profile_.get(), view_));
  view_->setObjectName(QStringLiteral("WebBrowser"));
  view_->hide();
  QObject::connect(view_, &QWebEngineView::loadStarted, view_, [this] { loading_ = true; });
  QObject::connect(view_->page(), &QWebEnginePage::loadingChanged, view_,
                   [this](const QWebEngineLoadingInfo& info) {
                     if (quit_ || !failure_ ||
                         info.status() != QWebEngineLoadingInfo::LoadFailedStatus ||
                         info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain) {
                       return;
                     }
                     failure_(info.url().toString(QUrl::FullyEncoded).toStdString(),
                              info.errorString().toStdString());
                   });
  QObject::connect(view_, &QWebEngineView::loadFinished, view_, [this](bool) {
    loading_ = false;
    if (quit_) return;
    if (next_) {
      // This load was stopped for a newer request: not reported, the newer
      // one goes out now.
      const QUrl next = *std::exchange(next_, std::nullopt);
      loading_ = true;
      view_->load(next);
      return;
    }
    NotifyNavigateComplete();
  });
}

QtWebEngineBrowser::~QtWebEngineBrowser() {
  // The page goes with the view, and must go before its profile.
  delete view_.data();
}

void QtWebEngineBrowser::Navigate(const std::string& url) {
  if (quit_ || view_ == nullptr) return;
  // The URL is plain text built by concatenation: bytes that cannot stand in
  // a URL (blanks, bytes above 0x7E) are escaped byte for byte, everything
  // else goes as it is.
  const QUrl target = QUrl::fromEncoded(QByteArray::fromStdString(EscapeUrlBytes(url)));
  if (loading_) {
    // The engine would fold a new load into one whose page has arrived but
    // not finished, and report only the old one: stop that one first, and
    // load this when it has ended.
    next_ = target;
    view_->stop();
    return;
  }
  loading_ = true;
  view_->load(target);
}

std::string QtWebEngineBrowser::LocationURL() const {
  if (view_ == nullptr) return {};
  return ServerWrittenUrl(view_->url().toString(QUrl::FullyEncoded).toStdString());
}

void QtWebEngineBrowser::SetVisible(bool visible) {
  if (view_ != nullptr) view_->setVisible(visible);
}

void QtWebEngineBrowser::SetHeight(int twips) {
  if (view_ != nullptr) view_->resize(view_->width(), scale_.ToPixelsY(twips));
}

void QtWebEngineBrowser::Quit() {
  quit_ = true;
  next_.reset();
  if (view_ != nullptr) view_->stop();
}

}  // namespace webaccess::platform
