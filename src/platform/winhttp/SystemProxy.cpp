#include "platform/winhttp/SystemProxy.h"

#include "platform/winhttp/WideText.h"

namespace webaccess::platform {
namespace {

// WinHTTP hands over its strings to be freed with GlobalFree.
struct GlobalText {
  wchar_t* text = nullptr;
  ~GlobalText() {
    if (text != nullptr) GlobalFree(text);
  }
};

}  // namespace

ProxyRoute SystemRoute(const std::string& url, HINTERNET session) {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG settings{};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&settings)) return {};
  const GlobalText script{settings.lpszAutoConfigUrl};
  const GlobalText proxy{settings.lpszProxy};
  const GlobalText bypass{settings.lpszProxyBypass};
  if ((settings.fAutoDetect || script.text != nullptr) && session != nullptr) {
    WINHTTP_AUTOPROXY_OPTIONS options{};
    options.dwFlags =
        script.text != nullptr ? WINHTTP_AUTOPROXY_CONFIG_URL : WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags =
        settings.fAutoDetect ? WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A : 0;
    options.lpszAutoConfigUrl = script.text;
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO found{};
    if (WinHttpGetProxyForUrl(session, Widen(url).c_str(), &options, &found)) {
      const GlobalText list{found.lpszProxy};
      const GlobalText skip{found.lpszProxyBypass};
      if (found.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
        return ListedRoute(url, Narrow(list.text), Narrow(skip.text));
      }
      return {};
    }
    // A script that cannot be had or run leaves the fixed settings.
  }
  return ListedRoute(url, Narrow(proxy.text), Narrow(bypass.text));
}

}  // namespace webaccess::platform
