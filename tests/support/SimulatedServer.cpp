#include "support/SimulatedServer.h"

namespace webaccess::testing {

std::string TargetOf(const std::string& url) {
  const std::size_t scheme = url.find("://");
  const std::size_t path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
  return path == std::string::npos ? "/" : url.substr(path);
}

std::string ResponseLines(int n, const std::string& record) {
  std::string lines;
  for (const std::string& line : sim::ResponseBody({n, record, {}})) lines += line + "\r\n";
  return lines;
}

sim::SimServer& SimulatedServer::Sim() {
  if (!sim_) sim_ = std::make_unique<sim::SimServer>(options, base_);
  return *sim_;
}

sim::SimReply SimulatedServer::Handle(const std::string& url, const std::string& cookie) {
  return Sim().Handle({TargetOf(url), cookie});
}

Navigation SimulatedServer::Navigate(const std::string& url) {
  if (answer) {
    if (std::optional<std::string> finalUrl = answer(url)) return {*finalUrl, {}};
  }
  constexpr int kMostRedirects = 20;
  std::string at = url;
  for (int redirects = 0;; ++redirects) {
    const sim::SimReply reply = Handle(at);
    if (reply.delivery == sim::SimReply::Delivery::Drop) return {{}, "Empty reply from server"};
    if (reply.status >= 300 && reply.status < 400 && !reply.location.empty()) {
      if (redirects == kMostRedirects) {
        return {{}, "more than " + std::to_string(kMostRedirects) + " redirects"};
      }
      at = reply.location;
      continue;
    }
    if (reply.status >= 400) return {at, "HTTP status " + std::to_string(reply.status)};
    return {at, {}};
  }
}

ports::TransferResult SimulatedServer::Download(const std::string& url, std::string& bytes,
                                                const std::string& cookie) {
  const sim::SimReply reply = Handle(url, cookie);
  if (reply.delivery == sim::SimReply::Delivery::Drop) return {false, "Empty reply from server"};
  if (reply.status != 200) return {false, "HTTP status " + std::to_string(reply.status)};
  if (reply.delivery == sim::SimReply::Delivery::ShortBody)
    return {false, "the body was cut short"};
  bytes = reply.body;
  return {true, {}};
}

std::vector<std::string> SimulatedServer::Records() { return Sim().Records(); }

}  // namespace webaccess::testing
