#include "protocol/ServerTable.h"

#include <charconv>

#include "BuildSettings.h"

namespace webaccess::protocol {

ServerTable BuiltInServers() {
  return ServerTable{
      {"Main Server", build::kMainUrl},
      {"Alternate Server", build::kAltUrl},
      {"Test Server", build::kTestUrl},
      {"I.P. Address", build::kIpUrl},
  };
}

bool IsBaseUrl(const std::string& url) {
  std::string_view rest(url);
  if (rest.starts_with("https://")) {
    rest.remove_prefix(8);
  } else if (rest.starts_with("http://")) {
    rest.remove_prefix(7);
  } else {
    return false;
  }
  if (rest.empty() || rest.front() == '/' || !rest.ends_with('/')) return false;
  for (const char c : rest) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || c == '?' || c == '#') return false;
  }
  return true;
}

std::optional<Settings> LoadSettings(const Environment& environment, std::string& error) {
  Settings settings{BuiltInServers()};
  const struct {
    const char* name;
    std::string* url;
  } overrides[] = {
      {"WEBACCESS_MAIN_URL", &settings.servers.main.baseUrl},
      {"WEBACCESS_ALT_URL", &settings.servers.alternate.baseUrl},
      {"WEBACCESS_TEST_URL", &settings.servers.test.baseUrl},
      {"WEBACCESS_IP_URL", &settings.servers.ip.baseUrl},
  };
  for (const auto& entry : overrides) {
    if (const char* value = environment(entry.name)) *entry.url = value;
    if (!IsBaseUrl(*entry.url)) {
      error = std::string(entry.name) +
              " must be an http:// or https:// URL ending in \"/\" (is \"" + *entry.url + "\")";
      return std::nullopt;
    }
  }
  if (const char* wait = environment("WEBACCESS_WAIT_MS")) {
    const std::string_view text(wait);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1) {
      error = "WEBACCESS_WAIT_MS must be a whole number of milliseconds above 0 (is \"" +
              std::string(text) + "\")";
      return std::nullopt;
    }
    settings.waitIntervalMs = value;
  }
  return settings;
}

}  // namespace webaccess::protocol
