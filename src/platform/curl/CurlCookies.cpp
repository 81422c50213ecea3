#include "platform/curl/CurlCookies.h"

#include <curl/curl.h>

namespace webaccess::platform {

CurlCookies::CurlCookies() : share_(curl_share_init()) {
  // One thread uses the handles, so the share needs no lock.
  curl_share_setopt(static_cast<CURLSH*>(share_), CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
}

CurlCookies::~CurlCookies() { curl_share_cleanup(static_cast<CURLSH*>(share_)); }

void CurlCookies::Use(void* easy) const {
  CURL* handle = static_cast<CURL*>(easy);
  curl_easy_setopt(handle, CURLOPT_SHARE, static_cast<CURLSH*>(share_));
  // An empty file name switches the engine on without reading a file.
  curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
}

}  // namespace webaccess::platform
