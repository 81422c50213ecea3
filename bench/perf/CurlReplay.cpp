// webaccess-perf-curl [--store] URLS-FILE
// Requests every URL of the file (one a line) in order through one reused
// libcurl handle, following redirects, and prints the wall time of the loop:
//   requests N redirects R seconds S
// With --store, each download (a URL with "/_ffffs/" in it) is also stored
// in the working directory as the client must store it before the next URL
// (its delete request) goes out: written to DOWN.TXT, appended to
// RESPONSE.QDK with one line added to AUDIT.QDK (held open, as the client
// holds it), both put on the disk with fdatasync, and the directory synced
// when RESPONSE.QDK is new.
#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::size_t Discard(char* /*data*/, std::size_t size, std::size_t count, void* /*user*/) {
  return size * count;
}

std::size_t Keep(char* data, std::size_t size, std::size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The download on the disk, as the client keeps it; false when that fails.
bool Store(const std::string& body, int audit) {
  // A new file, as the client's is: the old one goes first (truncating it
  // in place would make some file systems write it out at its close).
  ::unlink("DOWN.TXT");
  const int down = ::open("DOWN.TXT", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  bool ok = down >= 0 && WriteAll(down, body);
  if (down >= 0) ok = ::close(down) == 0 && ok;
  const bool created = ::access("RESPONSE.QDK", F_OK) != 0;
  const int response = ::open("RESPONSE.QDK", O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  ok = ok && response >= 0 && WriteAll(response, body) && ::fdatasync(response) == 0;
  if (response >= 0) ok = ::close(response) == 0 && ok;
  ok = ok && WriteAll(audit, "12/07/2614:30:15PERF01CA7ABC000001     NAME 1             00\r\n") &&
       ::fdatasync(audit) == 0;
  if (created) {
    const int directory = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ok = ok && directory >= 0 && ::fsync(directory) == 0;
    if (directory >= 0) ::close(directory);
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const bool store = argc == 3 && std::strcmp(argv[1], "--store") == 0;
  if (argc != 2 && !store) {
    std::fprintf(stderr, "usage: webaccess-perf-curl [--store] URLS-FILE\n");
    return 64;
  }
  std::vector<std::string> urls;
  std::ifstream in(argv[argc - 1]);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) urls.push_back(line);
  }
  const int audit =
      store ? ::open("AUDIT.QDK", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666) : -1;
  if (store && audit < 0) return 70;
  curl_global_init(CURL_GLOBAL_DEFAULT);
  CURL* handle = curl_easy_init();
  if (handle == nullptr) return 70;
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Discard);
  std::string body;
  long redirects = 0;
  int failures = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& url : urls) {
    const bool download = store && url.find("/_ffffs/") != std::string::npos;
    if (store) {
      body.clear();
      curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, download ? &Keep : &Discard);
      curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    }
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    if (curl_easy_perform(handle) != CURLE_OK) ++failures;
    if (download && !Store(body, audit)) ++failures;
    long followed = 0;
    curl_easy_getinfo(handle, CURLINFO_REDIRECT_COUNT, &followed);
    redirects += followed;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  curl_easy_cleanup(handle);
  curl_global_cleanup();
  if (audit >= 0) ::close(audit);
  std::printf("requests %zu redirects %ld failures %d seconds %.6f\n", urls.size(), redirects,
              failures, took.count());
  return failures == 0 ? 0 : 1;
}
