#include "platform/batch/CookieJar.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "platform/batch/Url.h"

namespace webaccess::platform::batch {
namespace {

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool DomainMatches(const std::string& host, const std::string& domain) {
  if (host == domain) return true;
  return host.size() > domain.size() && host.ends_with(domain) &&
         host[host.size() - domain.size() - 1] == '.';
}

bool PathMatches(const std::string& requestPath, const std::string& cookiePath) {
  if (requestPath == cookiePath) return true;
  return requestPath.starts_with(cookiePath) &&
         (cookiePath.ends_with('/') || requestPath[cookiePath.size()] == '/');
}

// The directory of the request path: up to, not including, its last "/".
std::string DefaultPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

void CookieJar::Store(const std::string& url, const std::string& setCookie) {
  UrlParts where;
  if (!SplitUrl(url, where)) return;
  std::string_view rest(setCookie);
  const std::string_view pair = Trim(rest.substr(0, rest.find(';')));
  const std::size_t equals = pair.find('=');
  if (equals == std::string_view::npos || equals == 0) return;

  Cookie cookie;
  cookie.name = std::string(Trim(pair.substr(0, equals)));
  cookie.value = std::string(Trim(pair.substr(equals + 1)));
  cookie.domain = where.host;
  cookie.path = DefaultPath(where.path);
  bool expired = false;
  while (rest.find(';') != std::string_view::npos) {
    rest = rest.substr(rest.find(';') + 1);
    const std::string_view attribute = Trim(rest.substr(0, rest.find(';')));
    const std::size_t eq = attribute.find('=');
    const std::string key = Lower(Trim(attribute.substr(0, eq)));
    const std::string_view value =
        eq == std::string_view::npos ? std::string_view{} : Trim(attribute.substr(eq + 1));
    if (key == "domain" && !value.empty()) {
      std::string domain = Lower(value.starts_with('.') ? value.substr(1) : value);
      // A server may not set cookies for another domain.
      if (!DomainMatches(where.host, domain)) return;
      cookie.domain = std::move(domain);
      cookie.hostOnly = false;
    } else if (key == "path" && value.starts_with('/')) {
      cookie.path = std::string(value);
    } else if (key == "max-age") {
      long seconds = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
      if (ec == std::errc() && end == value.data() + value.size() && seconds <= 0) expired = true;
    } else if (key == "secure") {
      cookie.secure = true;
    }
  }

  std::erase_if(cookies_, [&](const Cookie& old) {
    return old.name == cookie.name && old.domain == cookie.domain && old.path == cookie.path;
  });
  if (!expired) cookies_.push_back(std::move(cookie));
}

std::string CookieJar::HeaderFor(const std::string& url) const {
  UrlParts where;
  if (!SplitUrl(url, where)) return {};
  std::vector<const Cookie*> matching;
  for (const Cookie& cookie : cookies_) {
    const bool domainOk =
        cookie.hostOnly ? where.host == cookie.domain : DomainMatches(where.host, cookie.domain);
    if (!domainOk || !PathMatches(where.path, cookie.path)) continue;
    if (cookie.secure && where.scheme != "https") continue;
    matching.push_back(&cookie);
  }
  // Longer paths first, as browsers send them.
  std::stable_sort(matching.begin(), matching.end(), [](const Cookie* a, const Cookie* b) {
    return a->path.size() > b->path.size();
  });
  std::string header;
  for (const Cookie* cookie : matching) {
    if (!header.empty()) header += "; ";
    header += cookie->name + "=" + cookie->value;
  }
  return header;
}

}  // namespace webaccess::platform::batch
