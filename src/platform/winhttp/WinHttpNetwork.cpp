#include "platform/winhttp/WinHttpNetwork.h"

#include <vector>

#include "BuildSettings.h"
#include "platform/system/CertificateCheckWin32.h"
#include "platform/winhttp/SystemProxy.h"
#include "platform/winhttp/TlsProbe.h"
#include "platform/winhttp/WideText.h"

namespace webaccess::platform {
namespace {

std::wstring Agent() { return Widen(std::string("webaccess-batch/") + build::kVersion); }

std::string ErrorText(DWORD code) {
  const char* what = nullptr;
  switch (code) {
    case ERROR_WINHTTP_TIMEOUT:
      what = "the operation timed out";
      break;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      what = "the server's name could not be resolved";
      break;
    case ERROR_WINHTTP_CANNOT_CONNECT:
      what = "could not connect to the server";
      break;
    case ERROR_WINHTTP_CONNECTION_ERROR:
      what = "the connection was closed or reset";
      break;
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      what = "the server sent no valid answer";
      break;
    case ERROR_WINHTTP_REDIRECT_FAILED:
      what = "a redirect could not be followed";
      break;
    case ERROR_WINHTTP_OPERATION_CANCELLED:
      what = "the request was abandoned";
      break;
    default:
      what = "the request failed";
  }
  return std::string(what) + " (WinHTTP error " + std::to_string(code) + ")";
}

// Errors by which WinHTTP refuses a server's certificate, before anything
// is sent. Wine reports every refusal as a failure of the secure channel.
bool RefusesCertificate(DWORD code) {
  switch (code) {
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
      return true;
    default:
      return false;
  }
}

std::optional<std::wstring> Header(HINTERNET request, DWORD which) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &size,
                           WINHTTP_NO_HEADER_INDEX)) {
    return std::nullopt;
  }
  value.resize(size / sizeof(wchar_t));
  return value;
}

// What the moment before sending needs to know about its request.
struct SendCheck {
  std::string host;
  std::string caFile;
  std::string refusal;  // set when the certificate was refused there
  bool closed = false;  // the request was closed there
};

// The parts of a URL that WinHTTP takes apart.
struct Target {
  std::string scheme;
  std::string host;
  unsigned short port = 0;
  std::wstring object;  // path and query
};

bool Crack(const std::wstring& url, Target& target) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength =
      static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return false;
  target.scheme = Narrow({parts.lpszScheme, parts.dwSchemeLength});
  for (char& c : target.scheme) c = static_cast<char>(c | 0x20);
  target.host = Narrow({parts.lpszHostName, parts.dwHostNameLength});
  target.port = parts.nPort;
  target.object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  target.object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (target.object.empty()) target.object = L"/";
  return target.scheme == "http" || target.scheme == "https";
}

}  // namespace

WinHttpNetwork::WinHttpNetwork(std::string caFile, std::function<const char*(const char*)> getenv,
                               int connectTimeoutMs, int stallTimeoutMs)
    : caFile_(std::move(caFile)),
      getenv_(std::move(getenv)),
      connectTimeoutMs_(connectTimeoutMs),
      stallTimeoutMs_(stallTimeoutMs) {}

WinHttpNetwork::~WinHttpNetwork() {
  for (const auto& [proxy, session] : sessions_) WinHttpCloseHandle(session);
  if (systemSession_ != nullptr) WinHttpCloseHandle(systemSession_);
}

void WinHttpNetwork::Abort(Slot& slot) {
  const std::lock_guard lock(slot.mutex);
  slot.aborted = true;
  if (slot.request != nullptr) WinHttpCloseHandle(slot.request);
  slot.request = nullptr;
}

ProxyRoute WinHttpNetwork::Route(const std::string& url) {
  const std::lock_guard lock(mutex_);
  std::string origin = url.substr(0, url.find('/', url.find("://") + 3));
  if (const auto known = routes_.find(origin); known != routes_.end()) return known->second;
  std::optional<ProxyRoute> route = EnvironmentRoute(url, getenv_);
  if (!route) {
    if (systemSession_ == nullptr) {
      systemSession_ = WinHttpOpen(Agent().c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY,
                                   WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    }
    route = SystemRoute(url, systemSession_);
  }
  routes_.emplace(std::move(origin), *route);
  return *route;
}

HINTERNET WinHttpNetwork::Session(const std::string& proxy) {
  const std::lock_guard lock(mutex_);
  if (const auto open = sessions_.find(proxy); open != sessions_.end()) return open->second;
  const std::wstring agent = Agent();
  const std::wstring name = Widen(proxy);
  HINTERNET session = proxy.empty() ? WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY,
                                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)
                                    : WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_NAMED_PROXY,
                                                  name.c_str(), L"", 0);
  if (session == nullptr) return nullptr;
  WinHttpSetTimeouts(session, 0, connectTimeoutMs_, stallTimeoutMs_, stallTimeoutMs_);
  sessions_.emplace(proxy, session);
  return session;
}

std::optional<Fetched> WinHttpNetwork::CheckServer(const std::string& scheme,
                                                   const std::string& host, unsigned short port,
                                                   const ProxyRoute& route) {
  if (scheme != "https") return std::nullopt;
  // One handshake at a time; the verdict is kept for the run.
  const std::lock_guard lock(checkMutex_);
  const std::string key = host + ":" + std::to_string(port) + " " + route.proxy;
  auto verdict = verdicts_.find(key);
  if (verdict == verdicts_.end()) {
    std::string error;
    const Certificate certificate =
        ServerCertificate(host, port, route.proxy, stallTimeoutMs_, error);
    if (!certificate) {
      Fetched failed;
      failed.error = error;
      return failed;
    }
    verdict = verdicts_
                  .emplace(key, CertificateRefusal(certificate.get(), certificate->hCertStore, host,
                                                   caFile_)
                                    .value_or(""))
                  .first;
  }
  if (verdict->second.empty()) return std::nullopt;
  Fetched refused;
  refused.certificateRefused = true;
  refused.error = verdict->second;
  return refused;
}

void CALLBACK WinHttpNetwork::OnStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID,
                                       DWORD) {
  if (status != WINHTTP_CALLBACK_STATUS_SENDING_REQUEST || context == 0) return;
  auto* check = reinterpret_cast<SendCheck*>(context);
  PCCERT_CONTEXT certificate = nullptr;
  DWORD size = sizeof certificate;
  if (!WinHttpQueryOption(handle, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificate, &size) ||
      certificate == nullptr) {
    check->refusal = "the connection showed no certificate";
  } else {
    check->refusal =
        CertificateRefusal(certificate, certificate->hCertStore, check->host, check->caFile)
            .value_or("");
    CertFreeCertificateContext(certificate);
  }
  // Closed here, the request is not sent (on Windows; Wine sends it all the
  // same, which the check of the server's certificate before the first
  // request keeps from mattering there).
  if (!check->refusal.empty()) check->closed = WinHttpCloseHandle(handle) != FALSE;
}

Fetched WinHttpNetwork::Fetch(const std::string& url,
                              const std::function<bool(const char*, std::size_t)>& body,
                              Slot* given) {
  Fetched result;
  Target target;
  if (!Crack(Widen(url), target)) {
    result.error = "not an http or https URL";
    return result;
  }
  const ProxyRoute route = Route(url);
  const std::string through = route.proxy.empty() ? "" : "; " + route.named;
  if (!route.error.empty()) {
    result.error = route.error;
    return result;
  }
  if (std::optional<Fetched> refused =
          CheckServer(target.scheme, target.host, target.port, route)) {
    refused->error += through;
    return *refused;
  }
  const HINTERNET session = Session(route.proxy);
  const HINTERNET connection =
      session != nullptr ? WinHttpConnect(session, Widen(target.host).c_str(), target.port, 0)
                         : nullptr;
  if (connection == nullptr) {
    result.error = ErrorText(GetLastError());
    return result;
  }
  struct ConnectionCloser {
    HINTERNET handle;
    ~ConnectionCloser() { WinHttpCloseHandle(handle); }
  } connectionCloser{connection};

  const bool secure = target.scheme == "https";
  Slot own;
  Slot& slot = given != nullptr ? *given : own;
  SendCheck check{target.host, caFile_, {}, false};
  {
    const std::lock_guard lock(slot.mutex);
    if (slot.aborted) {
      result.error = ErrorText(ERROR_WINHTTP_OPERATION_CANCELLED);
      return result;
    }
    // Escaped already: WinHTTP sends the URL as it is given.
    slot.request =
        WinHttpOpenRequest(connection, L"GET", target.object.c_str(), nullptr, WINHTTP_NO_REFERER,
                           WINHTTP_DEFAULT_ACCEPT_TYPES,
                           (secure ? WINHTTP_FLAG_SECURE : 0) | WINHTTP_FLAG_ESCAPE_DISABLE |
                               WINHTTP_FLAG_ESCAPE_DISABLE_QUERY);
  }
  const HINTERNET request = slot.request;
  struct RequestCloser {
    Slot& slot;
    const SendCheck& check;
    ~RequestCloser() {
      const std::lock_guard lock(slot.mutex);
      if (slot.request != nullptr && !check.closed) WinHttpCloseHandle(slot.request);
      slot.request = nullptr;
    }
  } requestCloser{slot, check};
  if (request == nullptr) {
    result.error = ErrorText(GetLastError());
    return result;
  }
  // Each hop of a redirect is a request of its own, its server checked.
  DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  WinHttpSetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
  if (secure && !caFile_.empty()) {
    // Authorities of the CA file are unknown to WinHTTP: the check before
    // sending decides, on the same rules as the check of the server before
    // its first request (which, unlike Wine's, match an address with the
    // addresses the certificate names).
    DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                  SECURITY_FLAG_IGNORE_CERT_DATE_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
    WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
    WinHttpSetStatusCallback(request, &WinHttpNetwork::OnStatus, WINHTTP_CALLBACK_FLAG_SEND_REQUEST,
                             0);
  }
  const bool sent =
      WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                         reinterpret_cast<DWORD_PTR>(&check)) &&
      WinHttpReceiveResponse(request, nullptr);
  if (!check.refusal.empty()) {
    result.certificateRefused = true;
    result.error = check.refusal + through;
    return result;
  }
  if (!sent) {
    const DWORD code = GetLastError();
    result.certificateRefused = RefusesCertificate(code);
    result.error = ErrorText(code);
    if (result.certificateRefused) {
      result.error = "the system refused the server's certificate (WinHTTP error " +
                     std::to_string(code) + ")";
    }
    result.error += through;
    return result;
  }

  DWORD status = 0;
  DWORD size = sizeof status;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                      WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
  result.answered = true;
  result.status = static_cast<long>(status);
  if (const auto location = Header(request, WINHTTP_QUERY_LOCATION)) {
    result.location = Narrow(*location);
  }
  // The body, and whether all of it came: WinHTTP reports a connection that
  // breaks, and an announced length is checked here too. Only a 200 answer's
  // body is handed over; another is read to its end all the same, so that
  // the connection can serve the next request.
  std::uint64_t received = 0;
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    DWORD read = 0;
    if (!WinHttpReadData(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read)) {
      result.error = ErrorText(GetLastError()) + through;
      return result;
    }
    if (read == 0) break;
    received += read;
    if (body && status == 200 && !body(buffer.data(), read)) {
      result.error = "the body could not be stored";
      return result;
    }
  }
  if (const auto length = Header(request, WINHTTP_QUERY_CONTENT_LENGTH)) {
    const std::uint64_t announced = std::wcstoull(length->c_str(), nullptr, 10);
    if (received != announced) {
      result.error = "the answer ended after " + std::to_string(received) + " of its " +
                     std::to_string(announced) + " bytes" + through;
      return result;
    }
  }
  result.complete = true;
  return result;
}

}  // namespace webaccess::platform
