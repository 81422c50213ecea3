#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace webaccess::testing {
namespace {

// A socket listening on 127.0.0.1 at a free port.
int ListenLoopback(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) throw std::runtime_error("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 8) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    throw std::runtime_error("bind");
  }
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

LoopbackServer::LoopbackServer() {
  port_ = server_.bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("cannot bind 127.0.0.1");
}

LoopbackServer::~LoopbackServer() {
  server_.stop();
  if (thread_.joinable()) thread_.join();
}

void LoopbackServer::Start() {
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

std::string LoopbackServer::Base() const { return "http://127.0.0.1:" + std::to_string(port_); }

CannedHttpServer::CannedHttpServer(std::string answer)
    : answer_(std::move(answer)), listener_(ListenLoopback(port_)) {
  thread_ = std::thread([this] { Serve(); });
}

CannedHttpServer::~CannedHttpServer() {
  stopping_ = true;
  thread_.join();
  ::close(listener_);
}

std::string CannedHttpServer::Base() const { return "http://127.0.0.1:" + std::to_string(port_); }

void CannedHttpServer::Serve() {
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 50) <= 0) continue;
    const int connection = ::accept(listener_, nullptr, nullptr);
    if (connection < 0) continue;
    // Read the request up to its blank line, then answer and hang up.
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<std::size_t>(got));
    }
    std::size_t sent = 0;
    while (sent < answer_.size()) {
      const ssize_t put = ::send(connection, answer_.data() + sent, answer_.size() - sent, 0);
      if (put <= 0) break;
      sent += static_cast<std::size_t>(put);
    }
    ::shutdown(connection, SHUT_RDWR);
    ::close(connection);
  }
}

int ClosedPort() {
  int port = 0;
  ::close(ListenLoopback(port));
  return port;
}

}  // namespace webaccess::testing
