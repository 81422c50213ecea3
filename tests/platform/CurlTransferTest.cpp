// The libcurl transfer against servers on the loopback interface.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "LoopbackServer.h"
#include "platform/curl/CurlTransfer.h"

namespace webaccess::platform {
namespace {

using testing::CannedHttpServer;
using testing::LoopbackServer;

struct Fetched {
  ports::TransferResult result;
  std::string bytes;
};

Fetched Fetch(CurlTransfer& transfer, const std::string& url) {
  Fetched fetched;
  fetched.result = transfer.Download(url, [&](const char* data, std::size_t size) {
    fetched.bytes.append(data, size);
    return true;
  });
  return fetched;
}

// Every byte value, NUL and the high half included, many times over.
std::string AllByteValues(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 256) % 256);
  return bytes;
}

TEST(CurlTransfer, HandsOverACompleteAnswerByteForByte) {
  const std::string body = AllByteValues(300000) + std::string("\0\r\n\xff\x80", 5);
  LoopbackServer server;
  server.Http().Get("/Zq3/_ffffs/1234567USER01.TXT",
                    [&](const httplib::Request&, httplib::Response& response) {
                      response.set_content(body, "application/octet-stream");
                    });
  server.Start();
  CurlTransfer transfer;
  const Fetched fetched = Fetch(transfer, server.Base() + "/Zq3/_ffffs/1234567USER01.TXT");
  EXPECT_TRUE(fetched.result.ok) << fetched.result.error;
  EXPECT_EQ(fetched.bytes.size(), body.size());
  EXPECT_TRUE(fetched.bytes == body);
}

TEST(CurlTransfer, AnyStatusBut200IsAFailure) {
  LoopbackServer server;
  server.Http().Get("/missing.TXT", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("no such file", "text/plain");
  });
  server.Http().Get("/broken.TXT", [](const httplib::Request&, httplib::Response& response) {
    response.status = 500;
    response.set_content("server error", "text/plain");
  });
  server.Start();
  CurlTransfer transfer;
  for (const char* name : {"/missing.TXT", "/broken.TXT"}) {
    const Fetched fetched = Fetch(transfer, server.Base() + name);
    EXPECT_FALSE(fetched.result.ok) << name;
    EXPECT_FALSE(fetched.result.error.empty()) << name;
    // The server's error page is not the response file.
    EXPECT_EQ(fetched.bytes.find("error"), std::string::npos) << name;
    EXPECT_EQ(fetched.bytes.find("no such"), std::string::npos) << name;
  }
}

TEST(CurlTransfer, AnswerShorterThanItsLengthIsAFailure) {
  CannedHttpServer server(
      "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 100\r\n"
      "Connection: close\r\n\r\nonly part of it");
  CurlTransfer transfer;
  const Fetched fetched = Fetch(transfer, server.Base() + "/Zq3/_ffffs/1234567USER01.TXT");
  EXPECT_FALSE(fetched.result.ok);
  EXPECT_FALSE(fetched.result.error.empty());
}

TEST(CurlTransfer, RefusedConnectionIsAFailure) {
  CurlTransfer transfer(5);
  const Fetched fetched = Fetch(
      transfer, "http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/Zq3/DOWN.TXT");
  EXPECT_FALSE(fetched.result.ok);
  EXPECT_FALSE(fetched.result.error.empty());
  EXPECT_TRUE(fetched.bytes.empty());
}

TEST(CurlTransfer, SinkThatRefusesStopsTheTransfer) {
  LoopbackServer server;
  server.Http().Get("/big.TXT", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string(1 << 20, 'x'), "text/plain");
  });
  server.Start();
  CurlTransfer transfer;
  std::size_t calls = 0;
  const ports::TransferResult result =
      transfer.Download(server.Base() + "/big.TXT", [&](const char*, std::size_t) {
        ++calls;
        return false;
      });
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(calls, 1u);
}

// A user id shorter than its field puts blanks into the file name; the name
// must reach the server with its blanks, and the cookies of the session go
// along.
TEST(CurlTransfer, FileNameWithBlanksAndTheCookiesReachTheServer) {
  std::mutex lock;
  std::string path;
  std::string cookie;
  bool hadCookie = true;
  LoopbackServer server;
  server.Http().Get(R"(/Zq3/_ffffs/.*)",
                    [&](const httplib::Request& request, httplib::Response& response) {
                      std::lock_guard<std::mutex> guard(lock);
                      path = request.path;
                      hadCookie = request.has_header("Cookie");
                      cookie = request.get_header_value("Cookie");
                      response.set_content("RESPONSE LINE\r\n", "text/plain");
                    });
  server.Start();
  const std::string url = server.Base() + "/Zq3/_ffffs/1234567USER .TXT";

  CurlTransfer transfer;
  std::string askedFor;
  transfer.SetCookieSource([&](const std::string& target) {
    askedFor = target;
    return std::string("ASPSESSIONID=ABC123; Region=7");
  });
  Fetched fetched = Fetch(transfer, url);
  EXPECT_TRUE(fetched.result.ok) << fetched.result.error;
  EXPECT_EQ(fetched.bytes, "RESPONSE LINE\r\n");
  {
    std::lock_guard<std::mutex> guard(lock);
    EXPECT_EQ(path, "/Zq3/_ffffs/1234567USER .TXT");
    EXPECT_EQ(cookie, "ASPSESSIONID=ABC123; Region=7");
  }
  EXPECT_EQ(askedFor, url);

  // No cookies for the URL: no Cookie header at all.
  transfer.SetCookieSource([](const std::string&) { return std::string(); });
  fetched = Fetch(transfer, url);
  EXPECT_TRUE(fetched.result.ok) << fetched.result.error;
  std::lock_guard<std::mutex> guard(lock);
  EXPECT_FALSE(hadCookie);
}

// One download after another, a refused one among them: each gets its own
// answer whole, and they share the connection.
TEST(CurlTransfer, DownloadsFollowingEachOtherShareOneConnection) {
  std::mutex lock;
  std::vector<int> ports;
  LoopbackServer server;
  server.Http().Get(R"(/Zq3/_ffffs/(\d)\.TXT)", [&](const httplib::Request& request,
                                                    httplib::Response& response) {
    std::lock_guard<std::mutex> guard(lock);
    ports.push_back(request.remote_port);
    response.set_content(std::string(1000, request.matches[1].str()[0]), "text/plain");
  });
  server.Start();
  CurlTransfer transfer;
  EXPECT_EQ(Fetch(transfer, server.Base() + "/Zq3/_ffffs/1.TXT").bytes, std::string(1000, '1'));
  EXPECT_FALSE(transfer
                   .Download(server.Base() + "/Zq3/_ffffs/2.TXT",
                             [](const char*, std::size_t) { return false; })
                   .ok);
  const Fetched third = Fetch(transfer, server.Base() + "/Zq3/_ffffs/3.TXT");
  EXPECT_TRUE(third.result.ok) << third.result.error;
  EXPECT_EQ(third.bytes, std::string(1000, '3'));
  const Fetched fourth = Fetch(transfer, server.Base() + "/Zq3/_ffffs/4.TXT");
  EXPECT_EQ(fourth.bytes, std::string(1000, '4'));
  std::lock_guard<std::mutex> guard(lock);
  ASSERT_EQ(ports.size(), 4u);
  EXPECT_EQ(ports[2], ports[3]) << "the connection is kept for the next download";
}

}  // namespace
}  // namespace webaccess::platform
