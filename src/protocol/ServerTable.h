#pragma once

#include <functional>
#include <optional>
#include <string>

namespace webaccess::protocol {

struct Server {
  std::string label;    // the caption the server menu gives lblServer
  std::string baseUrl;  // an http(s) URL ending in "/"
};

// The servers the Server menu chooses from.
struct ServerTable {
  Server main;
  Server alternate;
  Server test;
  Server ip;
};

// The table as built in.
ServerTable BuiltInServers();

// True for an http:// or https:// URL with a host that ends in "/".
bool IsBaseUrl(const std::string& url);

using Environment = std::function<const char*(const char*)>;

struct Settings {
  ServerTable servers;
  int waitIntervalMs = 10000;  // the poll timer's interval
};

// The built-in settings with the environment's overrides
// (WEBACCESS_MAIN_URL, WEBACCESS_ALT_URL, WEBACCESS_TEST_URL,
// WEBACCESS_IP_URL, WEBACCESS_WAIT_MS). On a bad value, `error` names the
// variable and nothing is returned.
std::optional<Settings> LoadSettings(const Environment& environment, std::string& error);

}  // namespace webaccess::protocol
