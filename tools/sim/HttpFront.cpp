#include "HttpFront.h"

#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <memory>

namespace webaccess::sim {
namespace {

int PortOf(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) {
    return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
  }
  if (address.ss_family == AF_INET6) {
    return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
  }
  return -1;
}

}  // namespace

void DropConnection(int localPort, int remotePort) {
  struct CloseDir {
    void operator()(DIR* dir) const { closedir(dir); }
  };
  std::unique_ptr<DIR, CloseDir> dir(opendir("/proc/self/fd"));
  if (!dir) return;
  while (const dirent* entry = readdir(dir.get())) {
    char* end = nullptr;
    const long fd = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0') continue;
    sockaddr_storage local{};
    sockaddr_storage peer{};
    socklen_t localSize = sizeof local;
    socklen_t peerSize = sizeof peer;
    const int socket = static_cast<int>(fd);
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&local), &localSize) != 0) continue;
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0) continue;
    if (PortOf(local) == localPort && PortOf(peer) == remotePort) {
      shutdown(socket, SHUT_RDWR);
      return;
    }
  }
}

HttpFront::HttpFront(int delayMs, const std::string& logFile, const std::string& certFile,
                     const std::string& keyFile)
    : tls_(!certFile.empty()), delayMs_(delayMs), wantsLog_(!logFile.empty()) {
  if (tls_) {
    server_ = std::make_unique<httplib::SSLServer>(certFile.c_str(), keyFile.c_str());
  } else {
    server_ = std::make_unique<httplib::Server>();
  }
  if (wantsLog_) logFile_ = std::fopen(logFile.c_str(), "a");
  // An idle kept-alive connection does not hold up Stop for long.
  server_->set_keep_alive_timeout(1);
  // Headers and body go out in separate writes; without this each answer
  // would wait for a delayed acknowledgement.
  server_->set_tcp_nodelay(true);
  // The logger runs once the answer has been written.
  server_->set_logger([this](const httplib::Request&, const httplib::Response&) {
    if (exitAfterAnswer_) exitRequested_ = true;
  });
}

HttpFront::~HttpFront() {
  Stop();
  if (logFile_ != nullptr) std::fclose(logFile_);
}

bool HttpFront::Bind(int port) {
  if (port == 0) {
    port_ = server_->bind_to_any_port("127.0.0.1");
    return port_ > 0;
  }
  if (!server_->bind_to_port("127.0.0.1", port)) return false;
  port_ = port;
  return true;
}

std::string HttpFront::BaseUrl() const {
  return (tls_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_) + "/";
}

void HttpFront::Start(Handler handler) {
  handler_ = std::move(handler);
  server_->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    Serve(request, response);
  });
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // Stop does nothing to a server that is not running yet: wait for it.
  for (int i = 0; i < 5000 && !server_->is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void HttpFront::Stop() {
  if (!thread_.joinable()) return;
  server_->stop();
  thread_.join();
}

void HttpFront::LogRequest(const httplib::Request& request) {
  std::lock_guard lock(logMutex_);
  std::fprintf(stderr, "%s %s %s\n", request.method.c_str(), request.target.c_str(),
               request.version.c_str());
  std::fflush(stderr);
  if (logFile_ != nullptr) {
    std::fprintf(logFile_, "%s\n", request.target.c_str());
    std::fflush(logFile_);
  }
}

void HttpFront::Serve(const httplib::Request& request, httplib::Response& response) {
  LogRequest(request);
  if (exitAfterAnswer_) {
    // The last answer is out and the process is going: nobody answers now.
    DropConnection(request.local_port, request.remote_port);
    response.status = 500;
    return;
  }
  if (delayMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_));
  const SimReply reply = handler_({request.target, request.get_header_value("Cookie")});
  if (reply.holdMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(reply.holdMs));

  if (reply.delivery == SimReply::Delivery::Drop) {
    DropConnection(request.local_port, request.remote_port);
    response.status = 500;
    return;
  }
  response.status = reply.status;
  if (!reply.location.empty()) response.set_header("Location", reply.location);
  if (!reply.setCookie.empty()) response.set_header("Set-Cookie", reply.setCookie);
  if (reply.delivery == SimReply::Delivery::ShortBody) {
    auto body = std::make_shared<std::string>(reply.body);
    response.set_content_provider(body->size(), reply.contentType,
                                  [body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                    if (offset == 0) sink.write(body->data(), body->size() / 2);
                                    return false;  // breaks the connection off
                                  });
  } else {
    response.set_content(reply.body, reply.contentType);
  }
  if (reply.exitAfter) exitAfterAnswer_ = true;
}

}  // namespace webaccess::sim
