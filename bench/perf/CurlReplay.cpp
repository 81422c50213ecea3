// webaccess-perf-curl URLS-FILE
// Requests every URL of the file (one a line) in order through one reused
// libcurl handle, following redirects, and prints the wall time:
//   requests N redirects R seconds S
#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::size_t Discard(char* /*data*/, std::size_t size, std::size_t count, void* /*user*/) {
  return size * count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: webaccess-perf-curl URLS-FILE\n");
    return 64;
  }
  std::vector<std::string> urls;
  std::ifstream in(argv[1]);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) urls.push_back(line);
  }
  curl_global_init(CURL_GLOBAL_DEFAULT);
  CURL* handle = curl_easy_init();
  if (handle == nullptr) return 70;
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Discard);
  long redirects = 0;
  int failures = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& url : urls) {
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    if (curl_easy_perform(handle) != CURLE_OK) ++failures;
    long followed = 0;
    curl_easy_getinfo(handle, CURLINFO_REDIRECT_COUNT, &followed);
    redirects += followed;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  curl_easy_cleanup(handle);
  curl_global_cleanup();
  std::printf("requests %zu redirects %ld failures %d seconds %.6f\n", urls.size(), redirects,
              failures, took.count());
  return 0;
}
