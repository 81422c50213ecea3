#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "programs/Child.h"

namespace webaccess::programs {

// tinyproxy on a free loopback port, with its own configuration
// ("proxy.conf") and log ("proxy.log") in the given directory. Stopped when
// destroyed.
class ProxyProcess {
 public:
  explicit ProxyProcess(const std::filesystem::path& dir);
  ProxyProcess(const ProxyProcess&) = delete;
  ProxyProcess& operator=(const ProxyProcess&) = delete;

  // "http://127.0.0.1:PORT/"; empty if it did not take connections within
  // ten seconds.
  const std::string& Url() const { return url_; }
  // The targets (path and query) of the requests it passed on, in order.
  std::vector<std::string> Requests() const;

 private:
  std::filesystem::path dir_;
  std::unique_ptr<Child> child_;
  std::string url_;
};

// The URL of a proxy on loopback that refuses every connection: a free port
// that nothing listens on.
std::string RefusingProxyUrl();

}  // namespace webaccess::programs
