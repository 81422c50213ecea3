#pragma once

#include <string>
#include <string_view>

namespace webaccess::platform::batch {

// The parts of an http(s) URL that cookies and redirects need.
struct UrlParts {
  std::string scheme;     // lower case: "http" or "https"
  std::string authority;  // host and port as written
  std::string host;       // lower case, without port and user
  std::string path;       // from the first "/" up to "?" or "#"; "/" when there is none
};

// The most redirects one request follows, pages and the download alike.
inline constexpr int kMaxRedirects = 20;

// The text with the letters A to Z lowered; every other byte as it is.
std::string LowerAscii(std::string_view text);

// False for a URL without "scheme://".
bool SplitUrl(std::string_view url, UrlParts& parts);

// A redirect's Location made absolute against the URL it answered. An
// absolute Location is returned exactly as written; a relative one is joined
// to the base by plain concatenation, nothing escaped or unescaped.
std::string ResolveLocation(std::string_view base, std::string_view location);

}  // namespace webaccess::platform::batch
