#include "FuzzPlatform.h"

namespace webaccess::fuzz {

platform::TransferResult ScriptedTransfer::Download(const std::string& url, const Sink& sink) {
  urls.push_back(url);
  if (failNext) {
    failNext = false;
    return {false, "connection reset"};
  }
  // In two pieces, as bytes arrive from the network.
  const std::size_t half = nextBody.size() / 2;
  if (!sink(nextBody.data(), half)) return {false, "stopped"};
  if (!sink(nextBody.data() + half, nextBody.size() - half)) return {false, "stopped"};
  return {true, {}};
}

namespace {

protocol::Settings FuzzSettings() {
  protocol::Settings settings{protocol::BuiltInServers()};
  settings.waitIntervalMs = 10000;
  return settings;
}

}  // namespace

FormOnFakes::FormOnFakes(std::string commandLine)
    : form(platform, FuzzSettings(), std::move(commandLine)) {}

}  // namespace webaccess::fuzz
