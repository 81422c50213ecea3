#include "HttpFront.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/ScratchFiles.h"

namespace webaccess::sim {
namespace {

// The whole answer to a GET as it comes off the wire, unparsed.
std::string RawGet(int port, const std::string& target, const std::string& extraHeaders = "") {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
                                extraHeaders + "Connection: close\r\n\r\n";
    if (::send(fd, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size())) {
      char buffer[4096];
      for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        answer.append(buffer, static_cast<std::size_t>(n));
      }
    }
  }
  ::close(fd);
  return answer;
}

// A front on a free loopback port, answering with whatever the test scripts.
class FrontTest : public ::testing::Test {
 protected:
  void Start(int delayMs = 0) {
    logPath_ = std::filesystem::temp_directory_path() /
               ("sim-front-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log");
    std::filesystem::remove(logPath_);
    front_ = std::make_unique<HttpFront>(delayMs, logPath_.string());
    ASSERT_TRUE(front_->LogOpen());
    ASSERT_TRUE(front_->Bind(0));
    front_->Start([this](const SimRequest& request) {
      seen_.push_back(request);
      return next_;
    });
    client_ = std::make_unique<httplib::Client>("127.0.0.1", front_->Port());
    client_->set_read_timeout(5, 0);
  }
  void TearDown() override {
    client_.reset();
    front_.reset();
    std::filesystem::remove(logPath_);
  }

  std::string LogText() const { return testing::ReadFile(logPath_); }

  SimReply next_;
  std::vector<SimRequest> seen_;
  std::filesystem::path logPath_;
  std::unique_ptr<HttpFront> front_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(FrontTest, WritesTheRedirectLocationAndCookieRaw) {
  Start();
  next_.status = 302;
  next_.location = "http://127.0.0.1:1/Zq3/Reply.asp?ACTION=MSG&REPLY=7|SERVER%20IS%20BUSY<NONE>";
  next_.setCookie = "SIMSESSION=ABC; Path=/";
  const std::string answer =
      RawGet(front_->Port(), "/Zq3/V7Message.asp?ACTION=", "Cookie: A=1\r\n");
  EXPECT_TRUE(answer.starts_with("HTTP/1.1 302 ")) << answer;
  EXPECT_NE(answer.find("\r\nLocation: " + next_.location + "\r\n"), std::string::npos) << answer;
  EXPECT_NE(answer.find("\r\nSet-Cookie: " + next_.setCookie + "\r\n"), std::string::npos);
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_EQ(seen_[0].target, "/Zq3/V7Message.asp?ACTION=");
  EXPECT_EQ(seen_[0].cookie, "A=1");
}

TEST_F(FrontTest, LogsEachTargetAsReceived) {
  Start();
  ASSERT_TRUE(client_->Get("/Zq3/V7Main.asp?ACTION=REQ&TheRecord=101010!A%26B%20C"));
  ASSERT_TRUE(client_->Get("/Zq3/V7Count.asp?ACTION="));
  EXPECT_EQ(LogText(),
            "/Zq3/V7Main.asp?ACTION=REQ&TheRecord=101010!A%26B%20C\n/Zq3/V7Count.asp?ACTION=\n");
}

TEST_F(FrontTest, ADroppedConnectionGetsNoAnswerAtAll) {
  Start();
  next_.delivery = SimReply::Delivery::Drop;
  const auto result = client_->Get("/Zq3/V7Count.asp?ACTION=");
  EXPECT_FALSE(result);
  EXPECT_EQ(seen_.size(), 1u);
}

TEST_F(FrontTest, AShortBodyBreaksOffBeforeItsAnnouncedLength) {
  Start();
  next_.body = std::string(400, 'x');
  next_.delivery = SimReply::Delivery::ShortBody;
  httplib::Headers headersSeen;
  std::string received;
  const auto result = client_->Get(
      "/Zq3/_ffffs/1234567ABC123.TXT",
      [&](const httplib::Response& response) {
        headersSeen = response.headers;
        return true;
      },
      [&](const char* data, std::size_t size) {
        received.append(data, size);
        return true;
      });
  EXPECT_FALSE(result) << "the client must see the connection break";
  EXPECT_EQ(received, std::string(200, 'x'));
  const auto length = headersSeen.find("Content-Length");
  ASSERT_NE(length, headersSeen.end());
  EXPECT_EQ(length->second, "400");
}

TEST_F(FrontTest, DelaysEveryAnswer) {
  Start(120);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(client_->Get("/Zq3/Reply.asp?ACTION=NEXT"));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(120));
}

TEST_F(FrontTest, AsksForTheEndOnlyOnceTheLastAnswerIsOut) {
  Start();
  next_.body = "last";
  ASSERT_TRUE(client_->Get("/Zq3/Reply.asp?ACTION=NEXT"));
  EXPECT_FALSE(front_->ExitRequested());
  next_.exitAfter = true;
  const auto result = client_->Get("/Zq3/Reply.asp?ACTION=NEXT");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->body, "last");
  for (int i = 0; i < 100 && !front_->ExitRequested(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(front_->ExitRequested());
}

TEST(HttpFrontWithServer, CarriesAWholeLogonOverHttp) {
  HttpFront front(0, "");
  ASSERT_TRUE(front.Bind(0));
  SimServer server({}, front.BaseUrl());
  front.Start([&server](const SimRequest& request) { return server.Handle(request); });
  const std::string answer =
      RawGet(front.Port(),
             "/Zq3/V7Begin.asp?ACTION=&Company=1234567&CompPass=ABCD&User=ABC123&UserPass=SECRET");
  EXPECT_NE(answer.find("\r\nLocation: " + front.BaseUrl() +
                        "Zq3/Reply.asp?ACTION=LOGON&CID=1234567&UID=ABC123\r\n"),
            std::string::npos)
      << answer;
}

}  // namespace
}  // namespace webaccess::sim
