#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace webaccess::platform {

// Where the requests for one URL go: straight to the server, or through an
// HTTP proxy.
struct ProxyRoute {
  std::string proxy;  // "host:port"; empty: straight to the server
  std::string named;  // what chose the proxy, for failure reports ("http_proxy is ...")
  std::string error;  // set when the proxy cannot be used: every request fails with it
  bool operator==(const ProxyRoute&) const = default;
};

// The route the environment gives a URL, by the rules libcurl follows, so
// that webaccess-batch goes the same way on Windows as on Linux:
//   - http URLs: http_proxy (lower case only), then all_proxy, ALL_PROXY;
//   - https URLs: https_proxy, HTTPS_PROXY, then all_proxy, ALL_PROXY;
//   - no_proxy (lower case first, then NO_PROXY) wins over all of them:
//     comma-separated host names, domains (with or without a leading dot)
//     and addresses reached without a proxy; "*" for every host.
// A proxy written without a port has libcurl's 1080. Nothing when the
// environment says nothing for the URL: the system's settings decide.
std::optional<ProxyRoute> EnvironmentRoute(std::string_view url,
                                           const std::function<const char*(const char*)>& getenv);

// The route that a proxy list and a bypass list as Windows keeps them
// (Internet Options, or a proxy script's answer) give a URL. The proxy list
// holds "host:port" entries, each for every scheme or for one
// ("http=host:port", "https=host:port"), separated by ";" or blanks; the
// first that fits is taken. The bypass list holds host patterns with "*"
// wildcards and "<local>" for names without a dot. Loopback addresses go
// straight to the server unless the bypass list holds "<-loopback>". A proxy
// written without a port has Windows's 80.
ProxyRoute ListedRoute(std::string_view url, std::string_view proxyList,
                       std::string_view bypassList);

}  // namespace webaccess::platform
