#include "platform/batch/Url.h"

namespace webaccess::platform::batch {

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

namespace {

// The length of "scheme:" at the start, or 0.
std::size_t SchemeLength(std::string_view url) {
  for (std::size_t i = 0; i < url.size(); ++i) {
    const char c = url[i];
    if (c == ':') return i > 0 ? i + 1 : 0;
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!letter && !(i > 0 && other)) return 0;
  }
  return 0;
}

}  // namespace

bool SplitUrl(std::string_view url, UrlParts& parts) {
  const std::size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string_view::npos || SchemeLength(url) != schemeEnd + 1) return false;
  parts.scheme = LowerAscii(url.substr(0, schemeEnd));
  std::string_view rest = url.substr(schemeEnd + 3);
  const std::size_t authorityEnd = rest.find_first_of("/?#");
  parts.authority = std::string(rest.substr(0, authorityEnd));
  std::string_view host = parts.authority;
  if (const std::size_t at = host.rfind('@'); at != std::string_view::npos) {
    host = host.substr(at + 1);
  }
  if (host.starts_with('[')) {
    host = host.substr(0, host.find(']') + 1);
  } else {
    host = host.substr(0, host.find(':'));
  }
  parts.host = LowerAscii(host);
  rest = authorityEnd == std::string_view::npos ? std::string_view{} : rest.substr(authorityEnd);
  const std::string_view path = rest.substr(0, rest.find_first_of("?#"));
  parts.path = path.empty() ? "/" : std::string(path);
  return true;
}

std::string ResolveLocation(std::string_view base, std::string_view location) {
  if (SchemeLength(location) > 0) return std::string(location);
  UrlParts parts;
  if (!SplitUrl(base, parts)) return std::string(location);
  if (location.starts_with("//")) return parts.scheme + ":" + std::string(location);
  const std::string origin = parts.scheme + "://" + parts.authority;
  if (location.starts_with('/')) return origin + std::string(location);
  if (location.empty()) return std::string(base.substr(0, base.find('#')));
  if (location.starts_with('?')) return origin + parts.path + std::string(location);
  return origin + parts.path.substr(0, parts.path.rfind('/') + 1) + std::string(location);
}

}  // namespace webaccess::platform::batch
