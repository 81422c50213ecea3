#include "platform/curl/CurlTransfer.h"

#include <curl/curl.h>

#include "platform/batch/Url.h"
#include "protocol/PageUrl.h"

namespace webaccess::platform {
namespace {

struct WriteState {
  const ports::Transfer::Sink* sink;
  bool stopped = false;
};

std::size_t OnData(char* data, std::size_t size, std::size_t count, void* user) {
  auto* state = static_cast<WriteState*>(user);
  const std::size_t bytes = size * count;
  if (!(*state->sink)(data, bytes)) {
    state->stopped = true;
    return 0;  // stops the transfer
  }
  return bytes;
}

struct CurlGlobal {
  CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

}  // namespace

CurlTransfer::CurlTransfer(long connectTimeoutSeconds)
    : connectTimeoutSeconds_(connectTimeoutSeconds) {
  static CurlGlobal global;
}

CurlTransfer::~CurlTransfer() {
  if (handle_ != nullptr) curl_easy_cleanup(handle_);
}

ports::TransferResult CurlTransfer::Download(const std::string& url, const Sink& sink) {
  if (handle_ == nullptr) {
    handle_ = curl_easy_init();
    if (handle_ == nullptr) return {false, "cannot start a transfer"};
    // What every download has in common is set once. (Set again after a
    // reset, the cookie engine's file list would be lost at every download.)
    CURL* h = handle_;
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, long{batch::kMaxRedirects});
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);  // an error page is no data
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, connectTimeoutSeconds_);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnData);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Behind an https proxy, its answer to CONNECT is no part of the server's.
    curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    // Without progress for a minute, the server is gone.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 60L);
    if (shared_ != nullptr) shared_->Use(h);
    if (!caFile_.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, caFile_.c_str());
  }
  CURL* h = handle_;
  // These point into this call's frame: none outlives it. The connection
  // does, for the next download.
  struct ClearAtEnd {
    CURL* h;
    ~ClearAtEnd() {
      curl_easy_setopt(h, CURLOPT_WRITEDATA, nullptr);
      curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
      curl_easy_setopt(h, CURLOPT_COOKIE, nullptr);
    }
  } clearAtEnd{h};
  const std::string escaped = protocol::EscapeUrlBytes(url);
  WriteState state{&sink};
  char errorText[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(h, CURLOPT_URL, escaped.c_str());
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &state);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
  std::string cookie;
  if (cookies_) cookie = cookies_(url);
  if (!cookie.empty()) curl_easy_setopt(h, CURLOPT_COOKIE, cookie.c_str());

  const CURLcode code = curl_easy_perform(h);
  if (state.stopped) return {false, "the download could not be stored"};
  if (code != CURLE_OK) {
    return {.ok = false,
            .error = errorText[0] != '\0' ? std::string(errorText) : curl_easy_strerror(code),
            .certificateRefused = code == CURLE_PEER_FAILED_VERIFICATION};
  }
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  if (status != 200) return {false, "HTTP status " + std::to_string(status)};
  return {true, {}};
}

}  // namespace webaccess::platform
