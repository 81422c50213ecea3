#include "platform/winhttp/WinHttpTransfer.h"

#include "platform/batch/Url.h"
#include "protocol/PageUrl.h"

namespace webaccess::platform {

using batch::kMaxRedirects;

ports::TransferResult WinHttpTransfer::Download(const std::string& url, const Sink& sink) {
  std::string at = protocol::EscapeUrlBytes(url);
  for (int redirects = 0;; ++redirects) {
    bool stored = true;
    const Fetched fetched = network_.Fetch(
        at, [&](const char* data, std::size_t size) { return stored = sink(data, size); });
    if (!stored) return {false, "the download could not be stored", false};
    if (!fetched.answered) return {false, fetched.error, fetched.certificateRefused};
    if (fetched.status >= 300 && fetched.status < 400 && !fetched.location.empty()) {
      if (redirects == kMaxRedirects) {
        return {false, "more than " + std::to_string(kMaxRedirects) + " redirects", false};
      }
      at = protocol::EscapeUrlBytes(batch::ResolveLocation(at, fetched.location));
      continue;
    }
    if (fetched.status != 200)
      return {false, "HTTP status " + std::to_string(fetched.status), false};
    if (!fetched.complete) return {false, fetched.error, false};
    return {true, {}, false};
  }
}

}  // namespace webaccess::platform
