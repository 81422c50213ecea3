#include "programs/ProxyProcess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

namespace webaccess::programs {
namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

// A port that was free a moment ago.
int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

bool Accepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = Loopback(port);
  const bool connected =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

}  // namespace

ProxyProcess::ProxyProcess(const std::filesystem::path& dir) : dir_(dir) {
  const int port = FreePort();
  const std::string config = (dir / "proxy.conf").string();
  {
    std::ofstream out(config);
    out << "Port " << port << "\nListen 127.0.0.1\nTimeout 60\nMaxClients 20\n"
        << "Allow 127.0.0.1\nLogLevel Info\nLogFile \"" << (dir / "proxy.log").string() << "\"\n";
  }
  // In the foreground (-d), so that the launcher's group holds it and ends it.
  child_ = std::make_unique<Child>(
      dir, std::vector<std::string>{"/usr/bin/tinyproxy", "-d", "-c", config},
      Child::Options{.name = "proxy", .environment = {}, .fileSizeLimit = {}});
  if (PollUntil([&] { return Accepts(port) || child_->Wait(std::chrono::milliseconds(0)); },
                std::chrono::seconds(10)) &&
      Accepts(port)) {
    url_ = "http://127.0.0.1:" + std::to_string(port) + "/";
  }
}

std::vector<std::string> ProxyProcess::Requests() const {
  // "CONNECT   Dec 08 11:12:19.165 [4690]: Request (file descriptor 5): GET
  // http://127.0.0.1:40341/Zq3/V7Count.asp?ACTION= HTTP/1.1"
  std::ifstream in(dir_ / "proxy.log");
  std::vector<std::string> targets;
  for (std::string line; std::getline(in, line);) {
    const std::size_t request = line.find("): ");
    if (line.find("Request (file descriptor") == std::string::npos ||
        request == std::string::npos) {
      continue;
    }
    std::string target = line.substr(request + 3);
    const std::size_t hostStart = target.find("://");
    const std::size_t pathStart =
        hostStart == std::string::npos ? std::string::npos : target.find('/', hostStart + 3);
    const std::size_t version = target.rfind(" HTTP/");
    if (pathStart == std::string::npos || version == std::string::npos) continue;
    targets.push_back(target.substr(pathStart, version - pathStart));
  }
  return targets;
}

std::string RefusingProxyUrl() { return "http://127.0.0.1:" + std::to_string(FreePort()) + "/"; }

}  // namespace webaccess::programs
