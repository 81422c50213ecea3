#include "platform/qt/QtWebEngineBrowser.h"

#include <QSslCertificate>
#include <QUrl>
#include <QWebEngineCertificateError>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <utility>
#include <vector>

#include "platform/qt/EngineUrl.h"
#include "platform/system/CaFile.h"
#include "protocol/PageUrl.h"

namespace webaccess::platform {
namespace {

// True when the chain the server sent verifies for the page's host against
// the authorities of the CA file; otherwise `why` says why not.
bool VerifiesWithCaFile(const QWebEngineCertificateError& error, const std::string& caFile,
                        std::string& why) {
  std::vector<std::string> chain;
  for (const QSslCertificate& certificate : error.certificateChain()) {
    chain.push_back(certificate.toPem().toStdString());
  }
  return ChainVerifies(chain, error.url().host().toStdString(), caFile, &why);
}

std::string Why(const QWebEngineLoadingInfo& info) {
  if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain) {
    return "HTTP status " + std::to_string(info.errorCode());
  }
  const std::string text = info.errorString().toStdString();
  return text.empty() ? "error " + std::to_string(info.errorCode()) : text;
}

}  // namespace

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
  auto* page = new QWebEnginePage(profile_.get(), view_);
  view_->setPage(page);
  QObject::connect(page, &QWebEnginePage::certificateError, view_,
                   [this](QWebEngineCertificateError error) {
                     std::string why;
                     if (!caFile_.empty() && VerifiesWithCaFile(error, caFile_, why)) {
                       error.acceptCertificate();
                       return;
                     }
                     refused_ = error.description().toStdString();
                     if (!why.empty()) *refused_ += " (with the CA file: " + why + ")";
                     error.rejectCertificate();
                   });
  view_->setObjectName(QStringLiteral("WebBrowser"));
  view_->hide();
  QObject::connect(view_, &QWebEngineView::loadStarted, view_, [this] { loading_ = true; });
  QObject::connect(view_->page(), &QWebEnginePage::loadingChanged, view_,
                   [this](const QWebEngineLoadingInfo& info) {
                     if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
                       failure_.reset();
                     } else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus) {
                       failure_.emplace(info.url().toString(QUrl::FullyEncoded).toStdString(),
                                        Why(info));
                     }
                   });
  QObject::connect(view_, &QWebEngineView::loadFinished, view_, [this](bool) {
    loading_ = false;
    if (refused_) {
      // Nothing went out; the run cannot go on with this server.
      next_.reset();
      NotifyCertificateRefused(*std::exchange(refused_, std::nullopt));
      return;
    }
    if (next_) {
      // This load was stopped for a newer request: not reported, the newer
      // one goes out now.
      const QUrl next = *std::exchange(next_, std::nullopt);
      loading_ = true;
      view_->load(next);
      return;
    }
    NotifyNavigateComplete(LocationURL());
    // Queued: the load's failure may be told after its end, and the
    // completion may have started the next request.
    QMetaObject::invokeMethod(
        view_,
        [this, navigation = navigations_] {
          if (navigation != navigations_ || !failure_) return;
          NotifyRequestFailed(failure_->first, failure_->second);
        },
        Qt::QueuedConnection);
  });
}

QtWebEngineBrowser::~QtWebEngineBrowser() {
  // The page goes with the view, and must go before its profile.
  delete view_.data();
}

void QtWebEngineBrowser::Navigate(const std::string& url) {
  if (view_ == nullptr) return;
  ++navigations_;
  failure_.reset();
  // The URL is plain text built by concatenation: bytes that cannot stand in
  // a URL (blanks, bytes above 0x7E) are escaped byte for byte, everything
  // else goes as it is.
  const QUrl target = QUrl::fromEncoded(QByteArray::fromStdString(protocol::EscapeUrlBytes(url)));
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

void QtWebEngineBrowser::SetCaFile(const std::string& caFile) { caFile_ = caFile; }

// Nothing relies on Quit: the program's exit leaves a load under way and
// later ones going until the program ends.
void QtWebEngineBrowser::Quit() {}

}  // namespace webaccess::platform
