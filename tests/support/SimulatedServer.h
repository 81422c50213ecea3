#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SimServer.h"
#include "ports/Transfer.h"
#include "support/FakePlatform.h"

namespace webaccess::testing {

// The path and query of a URL: what a server receives as its target.
std::string TargetOf(const std::string& url);

// What the client writes to RESPONSE.QDK for the server's response number n
// to `record`: the response's body lines, CR LF each.
std::string ResponseLines(int n, const std::string& record);

// The server of webaccess-sim in process, without sockets: the one server
// of the in-process tests. It starts at its first request, with the options
// set until then; the tests change its behaviour through them (messages,
// readiness, waiting responses, faults...), or answer a navigation
// themselves through `answer`.
class SimulatedServer {
 public:
  explicit SimulatedServer(std::string base) : base_(std::move(base)) {}

  sim::SimOptions options;
  // Answers a navigation to `url` in place of the server: the final URL
  // (empty: the server never answers); nothing leaves it to the server.
  std::function<std::optional<std::string>(const std::string& url)> answer;

  const std::string& Base() const { return base_; }
  // The reply page for a query ("ACTION=NEXT", ...), under the base URL.
  std::string Reply(const std::string& query) const { return base_ + "Zq3/Reply.asp?" + query; }

  // One request, answered as the server answers it.
  sim::SimReply Handle(const std::string& url, const std::string& cookie = {});
  // A browser's navigation: it follows the server's redirects (at most 20)
  // and ends at the page they lead to; an answer with an error status
  // completes and then fails, a dropped connection or endless redirects
  // only fail.
  Navigation Navigate(const std::string& url);
  // The download: only a whole answer of 200 is data.
  ports::TransferResult Download(const std::string& url, std::string& bytes,
                                 const std::string& cookie = {});

  // The records the server has received, decoded.
  std::vector<std::string> Records();

 private:
  sim::SimServer& Sim();

  std::string base_;
  std::unique_ptr<sim::SimServer> sim_;
};

}  // namespace webaccess::testing
