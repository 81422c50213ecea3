#define SECURITY_WIN32
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include "platform/winhttp/TlsProbe.h"
#include <security.h>
#include <schannel.h>
// clang-format on

#include <cstdio>
#include <vector>

#include "platform/winhttp/WideText.h"

namespace webaccess::platform {
namespace {

struct Socket {
  SOCKET s = INVALID_SOCKET;
  ~Socket() {
    if (s != INVALID_SOCKET) closesocket(s);
  }
};

bool Connect(Socket& socket, const std::string& host, unsigned short port, int stallTimeoutMs,
             std::string& error) {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  std::string name = host;
  if (name.size() >= 2 && name.front() == '[') name = name.substr(1, name.size() - 2);
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (!started || getaddrinfo(name.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
    error = "cannot resolve " + name;
    return false;
  }
  for (addrinfo* at = found; at != nullptr && socket.s == INVALID_SOCKET; at = at->ai_next) {
    socket.s = ::socket(at->ai_family, SOCK_STREAM, IPPROTO_TCP);
    if (socket.s == INVALID_SOCKET) continue;
    if (::connect(socket.s, at->ai_addr, static_cast<int>(at->ai_addrlen)) != 0) {
      closesocket(socket.s);
      socket.s = INVALID_SOCKET;
    }
  }
  freeaddrinfo(found);
  if (socket.s == INVALID_SOCKET) {
    error = "cannot connect to " + name + " port " + std::to_string(port);
    return false;
  }
  // The server gets as long to answer as the requests give it.
  const auto limitMs = static_cast<DWORD>(stallTimeoutMs);
  setsockopt(socket.s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limitMs),
             sizeof limitMs);
  setsockopt(socket.s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limitMs),
             sizeof limitMs);
  return true;
}

bool SendAll(SOCKET s, const char* data, std::size_t size) {
  while (size > 0) {
    const int sent = ::send(s, data, static_cast<int>(size), 0);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

// Asks the proxy for a tunnel to the server; its answer's head is read and
// must say 200.
bool Tunnel(SOCKET s, const std::string& host, unsigned short port, std::string& error) {
  const std::string target = host + ":" + std::to_string(port);
  const std::string request = "CONNECT " + target + " HTTP/1.1\r\nHost: " + target + "\r\n\r\n";
  std::string answer;
  char c = 0;
  // Byte by byte, so that nothing of the server's handshake is read here.
  if (SendAll(s, request.data(), request.size())) {
    while (answer.size() < 16384 && !answer.ends_with("\r\n\r\n") && ::recv(s, &c, 1, 0) == 1) {
      answer += c;
    }
  }
  const std::string status = answer.substr(0, answer.find("\r\n"));
  if (status.size() >= 12 && status.starts_with("HTTP/1.") && status.substr(8, 4) == " 200") {
    return true;
  }
  error = "the proxy opened no tunnel to " + target + (status.empty() ? "" : ": " + status);
  return false;
}

std::string SspiError(const char* what, SECURITY_STATUS status) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(status));
  return std::string(what) + " (SSPI status " + code + ")";
}

struct Credentials {
  CredHandle handle{};
  bool held = false;
  ~Credentials() {
    if (held) FreeCredentialsHandle(&handle);
  }
};

struct Context {
  CtxtHandle handle{};
  bool held = false;
  ~Context() {
    if (held) DeleteSecurityContext(&handle);
  }
};

}  // namespace

Certificate ServerCertificate(const std::string& host, unsigned short port,
                              const std::string& proxy, int stallTimeoutMs, std::string& error) {
  Socket socket;
  if (proxy.empty()) {
    if (!Connect(socket, host, port, stallTimeoutMs, error)) return nullptr;
  } else {
    const std::size_t colon = proxy.rfind(':');
    const auto proxyPort = static_cast<unsigned short>(std::atoi(proxy.c_str() + colon + 1));
    if (!Connect(socket, proxy.substr(0, colon), proxyPort, stallTimeoutMs, error) ||
        !Tunnel(socket.s, host, port, error)) {
      return nullptr;
    }
  }

  // The certificate is judged by the caller, not by Schannel.
  SCHANNEL_CRED settings{};
  settings.dwVersion = SCHANNEL_CRED_VERSION;
  settings.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
  Credentials credentials;
  TimeStamp expiry;
  SECURITY_STATUS status =
      AcquireCredentialsHandleW(nullptr, const_cast<SEC_WCHAR*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND,
                                nullptr, &settings, nullptr, nullptr, &credentials.handle, &expiry);
  if (status != SEC_E_OK) {
    error = SspiError("cannot use the system's TLS", status);
    return nullptr;
  }
  credentials.held = true;

  std::wstring target = Widen(host);
  constexpr DWORD kWanted = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                            ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                            ISC_REQ_MANUAL_CRED_VALIDATION;
  Context context;
  std::vector<char> received;
  for (;;) {
    SecBuffer in[2] = {
        {static_cast<unsigned long>(received.size()), SECBUFFER_TOKEN, received.data()},
        {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
    SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
    DWORD granted = 0;
    status = InitializeSecurityContextW(
        &credentials.handle, context.held ? &context.handle : nullptr, target.data(), kWanted, 0, 0,
        context.held ? &inDesc : nullptr, 0, &context.handle, &outDesc, &granted, nullptr);
    context.held = true;
    if (out[0].pvBuffer != nullptr) {
      const bool sent =
          SendAll(socket.s, static_cast<const char*>(out[0].pvBuffer), out[0].cbBuffer);
      FreeContextBuffer(out[0].pvBuffer);
      if (!sent) {
        error = "the connection broke in the TLS handshake";
        return nullptr;
      }
    }
    if (status == SEC_E_OK) break;
    if (status == SEC_I_CONTINUE_NEEDED) {
      // What the step did not take stays for the next one.
      const std::size_t extra = in[1].BufferType == SECBUFFER_EXTRA ? in[1].cbBuffer : 0;
      received.erase(received.begin(), received.end() - static_cast<std::ptrdiff_t>(extra));
    } else if (status != SEC_E_INCOMPLETE_MESSAGE) {
      error = SspiError("the TLS handshake failed", status);
      return nullptr;
    }
    if (status == SEC_E_INCOMPLETE_MESSAGE || received.empty()) {
      char buffer[16384];
      const int got = ::recv(socket.s, buffer, sizeof buffer, 0);
      if (got <= 0) {
        error = "the connection broke in the TLS handshake";
        return nullptr;
      }
      received.insert(received.end(), buffer, buffer + got);
    }
  }
  PCCERT_CONTEXT certificate = nullptr;
  status = QueryContextAttributesW(&context.handle, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate);
  if (status != SEC_E_OK || certificate == nullptr) {
    error = SspiError("the server showed no certificate", status);
    return nullptr;
  }
  return Certificate(certificate);
}

}  // namespace webaccess::platform
