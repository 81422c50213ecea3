// The proxy rules of the Windows network: the environment read as libcurl
// reads it, and the system's proxy and bypass lists.
#include "platform/winhttp/ProxyRules.h"

#include <gtest/gtest.h>

#include <map>

namespace webaccess::platform {
namespace {

struct EnvironmentCase {
  const char* url;
  std::map<std::string, std::string> environment;
  const char* proxy;  // nullptr: the environment says nothing; "": no proxy
  const char* error = "";
};

TEST(ProxyRules, TheEnvironmentIsReadAsLibcurlReadsIt) {
  const EnvironmentCase cases[] = {
      {"http://s.example/", {{"http_proxy", "http://p:3128/"}}, "p:3128"},
      {"http://s.example/", {{"HTTP_PROXY", "http://p:3128/"}}, nullptr},
      {"https://s.example/", {{"HTTPS_PROXY", "h:8080"}}, "h:8080"},
      {"https://s.example/", {{"https_proxy", "l:1"}, {"HTTPS_PROXY", "u:2"}}, "l:1"},
      {"https://s.example/", {{"http_proxy", "p:1"}}, nullptr},
      {"https://s.example/", {{"ALL_PROXY", "a:9"}}, "a:9"},
      {"http://s.example/", {{"http_proxy", "user:pw@p"}}, "p:1080"},
      {"http://s.example/", {{"http_proxy", "socks5://p:1"}}, "", "only http:// proxies"},
      {"http://a.example.com/", {{"http_proxy", "p:1"}, {"no_proxy", "x, example.com"}}, ""},
      {"http://a.example.com/", {{"http_proxy", "p:1"}, {"no_proxy", ".example.com"}}, ""},
      {"http://notexample.com/", {{"http_proxy", "p:1"}, {"no_proxy", "example.com"}}, "p:1"},
      {"http://127.0.0.1:8/", {{"http_proxy", "p:1"}, {"NO_PROXY", "127.0.0.1"}}, ""},
      {"http://127.0.0.1:8/", {{"http_proxy", "p:1"}, {"no_proxy", "0.0.1"}}, "p:1"},
      {"http://[::1]:8/", {{"http_proxy", "p:1"}, {"no_proxy", "::1"}}, ""},
      {"http://s.example/", {{"no_proxy", "*"}}, ""},
      {"http://s.example/", {{"no_proxy", "other"}}, nullptr},
  };
  for (const EnvironmentCase& c : cases) {
    const auto getenv = [&c](const char* name) -> const char* {
      const auto it = c.environment.find(name);
      return it == c.environment.end() ? nullptr : it->second.c_str();
    };
    const std::optional<ProxyRoute> route = EnvironmentRoute(c.url, getenv);
    const std::string where = std::string(c.url) + " with " + c.environment.begin()->first;
    ASSERT_EQ(route.has_value(), c.proxy != nullptr) << where;
    if (!route) continue;
    EXPECT_EQ(route->proxy, c.error[0] != '\0' ? "" : c.proxy) << where;
    EXPECT_NE(route->error.find(c.error), std::string::npos) << where << ": " << route->error;
    EXPECT_EQ(route->named.find("pw"), std::string::npos) << route->named;
  }
}

struct ListCase {
  const char* url;
  const char* proxies;
  const char* bypass;
  const char* proxy;  // "": straight to the server
};

TEST(ProxyRules, TheSystemsListsChooseBySchemeAndBypassByPattern) {
  const ListCase cases[] = {
      {"http://s.example/", "p:80", "", "p:80"},
      {"https://s.example/", "http=a:1;https=b:2", "", "b:2"},
      {"https://s.example/", "http=a:1", "", ""},
      {"http://s.example/", "http://p:80/", "", "p:80"},
      {"https://s.example/", "https=p", "", "p:80"},
      {"http://x.example.com/", "p:80", "*.example.com", ""},
      {"http://x.example.org/", "p:80", "*.example.com", "p:80"},
      {"http://intranet/", "p:80", "<local>", ""},
      {"http://127.0.0.1:5/", "p:80", "", ""},
      {"http://127.0.0.1:5/", "p:80", "<-loopback>", "p:80"},
  };
  for (const ListCase& c : cases) {
    EXPECT_EQ(ListedRoute(c.url, c.proxies, c.bypass).proxy, c.proxy)
        << c.url << " through " << c.proxies << " past " << c.bypass;
  }
}

}  // namespace
}  // namespace webaccess::platform
