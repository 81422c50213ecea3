#include "platform/curl/CurlHttpClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>

#include "HttpFront.h"
#include "platform/curl/CurlTransfer.h"
#include "programs/ProxyProcess.h"
#include "support/ScratchFiles.h"
#include "support/TestCertificates.h"

namespace webaccess::platform::batch {
namespace {

// A loopback server answering with whatever the test scripts.
class CurlClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(front_.Bind(0));
    front_.Start([this](const sim::SimRequest& request) {
      seen_.push_back(request);
      return next_;
    });
  }

  // Sends one GET and turns until its answer is in (at most five seconds).
  std::optional<HttpAnswer> Fetch(const std::string& target) {
    std::optional<HttpAnswer> answer;
    client_.Get(front_.BaseUrl() + target, [&answer](const HttpAnswer& a) { answer = a; });
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!answer && std::chrono::steady_clock::now() < until) {
      client_.Wait(50);
      client_.Poll();
    }
    return answer;
  }

  sim::HttpFront front_{0, ""};
  sim::SimReply next_;
  std::vector<sim::SimRequest> seen_;
  CurlHttpClient client_{5, 5};
};

TEST_F(CurlClientTest, ReportsARedirectWithItsLocationAsWritten) {
  next_.status = 302;
  next_.location = "http://127.0.0.1:1/Zq3/Reply.asp?ACTION=MSG&REPLY=7|SERVER%20IS%20BUSY<NONE>";
  const auto answer = Fetch("Zq3/V7Message.asp?ACTION=");
  ASSERT_TRUE(answer);
  EXPECT_TRUE(answer->answered);
  EXPECT_EQ(answer->status, 302);
  EXPECT_EQ(answer->location, next_.location);
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_FALSE(client_.Busy());
}

// A cookie set on a redirect goes, through libcurl's engine, with the later
// page requests and with the download, which share it; as browsers keep
// them.
TEST_F(CurlClientTest, KeepsTheServersCookiesForThePagesAndTheDownload) {
  const struct {
    const char* setCookie;
    const char* sentBack;  // with the later page request and the download
  } rows[] = {
      {.setCookie = "SIMSESSION=ABC; Path=/", .sentBack = "SIMSESSION=ABC"},
      {.setCookie = "SIMSESSION=ABC", .sentBack = "SIMSESSION=ABC"},  // path /Zq3
      {.setCookie = "SIMSESSION=ABC; Path=/Other", .sentBack = ""},
      {.setCookie = "SIMSESSION=ABC; Max-Age=0", .sentBack = ""},
      {.setCookie = "SIMSESSION=ABC; Expires=Thu, 01 Jan 1970 00:00:00 GMT", .sentBack = ""},
      {.setCookie = "SIMSESSION=ABC; Domain=example.com", .sentBack = ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.setCookie);
    CurlCookies cookies;
    CurlHttpClient client(5, 5);
    client.SetCookies(&cookies);
    CurlTransfer transfer(5);
    transfer.SetCookies(&cookies);
    seen_.clear();
    next_ = sim::SimReply{};
    next_.status = 302;
    next_.location = front_.BaseUrl() + "Zq3/Reply.asp?ACTION=LOGON";
    next_.setCookie = row.setCookie;
    for (const char* target : {"Zq3/V7Begin.asp?ACTION=", "Zq3/V7Count.asp?ACTION="}) {
      bool done = false;
      client.Get(front_.BaseUrl() + target, [&done](const HttpAnswer&) { done = true; });
      for (int turn = 0; turn < 100 && !done; ++turn) {
        client.Wait(50);
        client.Poll();
      }
      ASSERT_TRUE(done);
      next_ = sim::SimReply{};
      next_.body = "file";
    }
    ASSERT_TRUE(transfer
                    .Download(front_.BaseUrl() + "Zq3/_ffffs/1234567ABC123.TXT",
                              [](const char*, std::size_t) { return true; })
                    .ok);
    ASSERT_EQ(seen_.size(), 3u);
    EXPECT_EQ(seen_[0].cookie, "");
    EXPECT_EQ(seen_[1].cookie, row.sentBack);
    EXPECT_EQ(seen_[2].cookie, row.sentBack);
  }
}

TEST_F(CurlClientTest, APageCutShortStillCountsAsAnswered) {
  next_.body = std::string(1000, 'x');
  next_.delivery = sim::SimReply::Delivery::ShortBody;
  const auto answer = Fetch("Zq3/Reply.asp?ACTION=NEXT");
  ASSERT_TRUE(answer);
  EXPECT_TRUE(answer->answered);
  EXPECT_EQ(answer->status, 200);
}

TEST_F(CurlClientTest, ADroppedConnectionIsNoAnswer) {
  next_.delivery = sim::SimReply::Delivery::Drop;
  const auto answer = Fetch("Zq3/V7Count.asp?ACTION=");
  ASSERT_TRUE(answer);
  EXPECT_FALSE(answer->answered);
  EXPECT_FALSE(answer->error.empty());
}

TEST_F(CurlClientTest, NoServerIsNoAnswer) {
  const int port = front_.Port();
  front_.Stop();
  std::optional<HttpAnswer> answer;
  client_.Get("http://127.0.0.1:" + std::to_string(port) + "/",
              [&answer](const HttpAnswer& a) { answer = a; });
  for (int i = 0; i < 100 && !answer; ++i) {
    client_.Wait(50);
    client_.Poll();
  }
  ASSERT_TRUE(answer);
  EXPECT_FALSE(answer->answered);
}

TEST_F(CurlClientTest, ACancelledRequestIsNeverReported) {
  next_.status = 200;
  bool reported = false;
  const auto id = client_.Get(front_.BaseUrl() + "x", [&](const HttpAnswer&) { reported = true; });
  client_.Poll();
  client_.Cancel(id);
  EXPECT_FALSE(client_.Busy());
  for (int i = 0; i < 5; ++i) {
    client_.Wait(20);
    client_.Poll();
  }
  EXPECT_FALSE(reported);
}

// Handles are reused: nothing of one request may reach the next, whether it
// ended or was cancelled.
TEST_F(CurlClientTest, AReusedHandleCarriesNothingIntoTheNextRequest) {
  next_.status = 302;
  next_.location = "http://127.0.0.1:1/Zq3/Reply.asp?ACTION=NEXT";
  next_.setCookie = "SIMSESSION=ABC; Path=/";
  ASSERT_TRUE(Fetch("first"));
  client_.Cancel(client_.Get(front_.BaseUrl() + "cancelled", [](const HttpAnswer&) {}));
  next_ = sim::SimReply{};
  next_.body = "page";
  const auto answer = Fetch("second");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 200);
  EXPECT_TRUE(answer->location.empty());
  ASSERT_FALSE(seen_.empty());
  EXPECT_EQ(seen_.back().target, "/second");
  EXPECT_EQ(seen_.back().cookie, "");
}

// An untrusted certificate is a refusal on both paths, straight to the
// server or through an https proxy, whose CONNECT answer is no page.
TEST(CurlCertificate, AnUntrustedServerIsRefusedDirectAndThroughAProxy) {
  const webaccess::testing::ScratchDirectory scratch("webaccess-curl-tls");
  const webaccess::testing::TestCertificates certificates(scratch.path() + "/certificates");
  sim::HttpFront front(0, "",
                       certificates.Certificate(webaccess::testing::ServerCertificate::SelfSigned),
                       certificates.Key());
  ASSERT_TRUE(front.Bind(0));
  front.Start([](const sim::SimRequest&) { return sim::SimReply{}; });
  const programs::ProxyProcess proxy(scratch.path());
  ASSERT_FALSE(proxy.Url().empty());
  ::unsetenv("no_proxy");
  for (const bool throughTheProxy : {false, true}) {
    SCOPED_TRACE(throughTheProxy ? "through the proxy" : "direct");
    if (throughTheProxy) ::setenv("https_proxy", proxy.Url().c_str(), 1);
    CurlHttpClient client(5, 5);
    std::optional<HttpAnswer> answer;
    client.Get(front.BaseUrl() + "Zq3/V7Begin.asp", [&answer](const HttpAnswer& a) { answer = a; });
    for (int i = 0; i < 100 && !answer; ++i) {
      client.Wait(50);
      client.Poll();
    }
    ASSERT_TRUE(answer);
    EXPECT_FALSE(answer->answered);
    EXPECT_TRUE(answer->certificateRefused) << answer->error;

    CurlTransfer transfer(5);
    const ports::TransferResult download =
        transfer.Download(front.BaseUrl() + "Zq3/_ffffs/1234567ABC123.TXT",
                          [](const char*, std::size_t) { return true; });
    EXPECT_FALSE(download.ok);
    EXPECT_TRUE(download.certificateRefused) << download.error;
  }
  ::unsetenv("https_proxy");
}

}  // namespace
}  // namespace webaccess::platform::batch
