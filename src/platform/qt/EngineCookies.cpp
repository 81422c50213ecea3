#include "platform/qt/EngineCookies.h"

#include <QNetworkCookie>
#include <QUrl>
#include <QWebEngineCookieStore>

#include "protocol/PageUrl.h"

namespace webaccess::platform {

EngineCookies::EngineCookies() = default;

EngineCookies::EngineCookies(QWebEngineCookieStore* store) {
  QObject::connect(store, &QWebEngineCookieStore::cookieAdded, &jar_,
                   [this](const QNetworkCookie& cookie) { Add(cookie); });
  QObject::connect(store, &QWebEngineCookieStore::cookieRemoved, &jar_,
                   [this](const QNetworkCookie& cookie) { Remove(cookie); });
}

void EngineCookies::Add(const QNetworkCookie& cookie) {
  // A cookie set again under the same name, domain and path replaces the old one.
  jar_.deleteCookie(cookie);
  jar_.insertCookie(cookie);
}

void EngineCookies::Remove(const QNetworkCookie& cookie) { jar_.deleteCookie(cookie); }

std::string EngineCookies::HeaderFor(const std::string& url) const {
  const QUrl target = QUrl::fromEncoded(QByteArray::fromStdString(protocol::EscapeUrlBytes(url)));
  QByteArray header;
  for (const QNetworkCookie& cookie : jar_.cookiesForUrl(target)) {
    if (!header.isEmpty()) header += "; ";
    header += cookie.toRawForm(QNetworkCookie::NameAndValueOnly);
  }
  return header.toStdString();
}

}  // namespace webaccess::platform
