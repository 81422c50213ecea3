#include "platform/curl/CurlHttpClient.h"

#include <cstdlib>
#include <string_view>
#include <vector>

namespace webaccess::platform::batch {

struct CurlHttpClient::Request {
  std::uint64_t id = 0;
  CURL* easy = nullptr;
  std::string url;
  Done done;
  HttpAnswer answer;
  bool headersComplete = false;
  char errorText[CURL_ERROR_SIZE] = {};
};

namespace {

struct CurlGlobal {
  CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

std::string_view HeaderValue(std::string_view line, std::size_t nameLength) {
  std::string_view value = line.substr(nameLength);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' ' ||
                            value.back() == '\t')) {
    value.remove_suffix(1);
  }
  return value;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto* request = static_cast<CurlHttpClient::Request*>(user);
  const std::string_view line(data, size * count);
  HttpAnswer& answer = request->answer;
  if (line.starts_with("HTTP/")) {
    // A new answer begins (an interim 1xx answer may have come before).
    answer = HttpAnswer{};
    request->headersComplete = false;
    const std::size_t blank = line.find(' ');
    if (blank != std::string_view::npos) {
      long status = 0;
      for (std::size_t i = blank + 1; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        status = status * 10 + (line[i] - '0');
      }
      answer.status = status;
    }
  } else if (line == "\r\n" || line == "\n") {
    if (answer.status >= 200) request->headersComplete = true;
  } else if (StartsWithIgnoringCase(line, "location:")) {
    answer.location = std::string(HeaderValue(line, 9));
  }
  return size * count;
}

std::size_t OnBody(char*, std::size_t size, std::size_t count, void*) { return size * count; }

// Names the proxy that libcurl takes from the environment for the URL's
// scheme, if any, for a failure report: whether the proxy or the server
// failed is then plain. A user name and password in it are left out.
std::string ProxyNote(std::string_view url) {
  const bool https = StartsWithIgnoringCase(url, "https:");
  const std::vector<const char*> names =
      https ? std::vector<const char*>{"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}
            : std::vector<const char*>{"http_proxy", "all_proxy", "ALL_PROXY"};
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    std::string proxy(value);
    const std::size_t scheme = proxy.find("://");
    const std::size_t hostStart = scheme == std::string::npos ? 0 : scheme + 3;
    const std::size_t at = proxy.find('@', hostStart);
    if (at != std::string::npos) proxy.erase(hostStart, at + 1 - hostStart);
    return std::string("; ") + name + " is " + proxy;
  }
  return {};
}

}  // namespace

CurlHttpClient::CurlHttpClient(long connectTimeoutSeconds, long stallSeconds)
    : connectTimeoutSeconds_(connectTimeoutSeconds), stallSeconds_(stallSeconds) {
  static CurlGlobal global;
  multi_ = curl_multi_init();
}

CurlHttpClient::~CurlHttpClient() {
  for (auto& [id, request] : requests_) {
    curl_multi_remove_handle(multi_, request->easy);
    curl_easy_cleanup(request->easy);
  }
  for (CURL* easy : spare_) curl_easy_cleanup(easy);
  curl_multi_cleanup(multi_);
}

CURL* CurlHttpClient::TakeHandle() {
  if (!spare_.empty()) {
    CURL* easy = spare_.back();
    spare_.pop_back();
    return easy;
  }
  // What every request has in common is set once, when the handle is made.
  CURL* easy = curl_easy_init();
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  // Behind an https proxy, its answer to CONNECT ("200 Connection
  // established") would otherwise reach the header callback as if it were
  // the server's, and a handshake the server's certificate failed after it
  // would read as an answered page.
  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, connectTimeoutSeconds_);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, stallSeconds_);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &OnHeader);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnBody);
  if (shared_ != nullptr) shared_->Use(easy);
  if (!caFile_.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, caFile_.c_str());
  return easy;
}

void CurlHttpClient::GiveBack(CURL* easy) {
  // The connection stays in the multi handle's pool either way.
  curl_multi_remove_handle(multi_, easy);
  constexpr std::size_t kSpareHandles = 4;
  if (spare_.size() < kSpareHandles) {
    // Nothing of the ended request stays with the handle.
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, nullptr);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
    spare_.push_back(easy);
  } else {
    curl_easy_cleanup(easy);
  }
}

std::uint64_t CurlHttpClient::Get(const std::string& url, Done done) {
  auto request = std::make_unique<Request>();
  request->id = nextId_++;
  request->url = url;
  request->done = std::move(done);
  CURL* easy = TakeHandle();
  request->easy = easy;
  curl_easy_setopt(easy, CURLOPT_URL, request->url.c_str());
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, request.get());
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, request->errorText);
  const std::uint64_t id = request->id;
  curl_multi_add_handle(multi_, easy);
  requests_.emplace(id, std::move(request));
  return id;
}

void CurlHttpClient::Cancel(std::uint64_t id) {
  const auto it = requests_.find(id);
  if (it == requests_.end()) return;
  GiveBack(it->second->easy);
  requests_.erase(it);
}

void CurlHttpClient::Poll() {
  if (requests_.empty()) return;
  int running = 0;
  curl_multi_perform(multi_, &running);
  std::vector<std::pair<std::uint64_t, CURLcode>> finished;
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
    if (message->msg != CURLMSG_DONE) continue;
    for (const auto& [id, request] : requests_) {
      if (request->easy == message->easy_handle) finished.emplace_back(id, message->data.result);
    }
  }
  // The handlers run once curl is left alone: they may start new requests
  // and cancel others, finished ones among them.
  for (const auto& [id, result] : finished) {
    const auto it = requests_.find(id);
    if (it == requests_.end()) continue;
    std::unique_ptr<Request> request = std::move(it->second);
    requests_.erase(it);
    GiveBack(request->easy);
    HttpAnswer answer = std::move(request->answer);
    answer.answered = request->headersComplete;
    if (!answer.answered) {
      answer.certificateRefused = result == CURLE_PEER_FAILED_VERIFICATION;
      answer.error = (request->errorText[0] != '\0' ? std::string(request->errorText)
                                                    : std::string(curl_easy_strerror(result))) +
                     ProxyNote(request->url);
    }
    if (request->done) request->done(answer);
  }
}

void CurlHttpClient::Wait(int milliseconds) {
  curl_multi_poll(multi_, nullptr, 0, milliseconds, nullptr);
}

}  // namespace webaccess::platform::batch
