// The batch browser over the real libcurl against two loopback servers on
// the same host, one over https and one over plain http: a cookie the
// server marks Secure reaches the https server only.
#include <gtest/gtest.h>

#include <map>
#include <mutex>

#include "Fakes.h"
#include "HttpFront.h"
#include "platform/batch/CurlHttpClient.h"
#include "platform/batch/NavigatingBrowser.h"
#include "platform/curl/CurlCookies.h"
#include "support/FakePlatform.h"
#include "support/ScratchFiles.h"
#include "support/TestCertificates.h"

namespace webaccess::platform::batch {
namespace {

using platform::CurlCookies;
using webaccess::testing::ServerCertificate;

TEST(SecureCookie, GoesOverHttpsOnlyWhereverTheRedirectsLead) {
  const webaccess::testing::ScratchDirectory scratch("webaccess-cookie");
  const webaccess::testing::TestCertificates certificates(scratch.path() + "/certificates");
  sim::HttpFront secure(0, "", certificates.Certificate(ServerCertificate::Trusted),
                        certificates.Key());
  sim::HttpFront plain(0, "");
  ASSERT_TRUE(secure.TlsReady());
  ASSERT_TRUE(secure.Bind(0));
  ASSERT_TRUE(plain.Bind(0));
  std::map<std::string, std::string> received;  // target to the Cookie header
  std::mutex receivedMutex;
  const auto record = [&](const sim::SimRequest& request) {
    std::lock_guard lock(receivedMutex);
    received[request.target] = request.cookie;
  };
  secure.Start([&](const sim::SimRequest& request) {
    record(request);
    sim::SimReply reply;
    if (request.target == "/logon") {
      reply.status = 302;
      reply.setCookie = "SESSION=S3CR3T; Secure; Path=/";
      reply.location = plain.BaseUrl() + "on-http";
    }
    return reply;
  });
  plain.Start([&](const sim::SimRequest& request) {
    record(request);
    sim::SimReply reply;
    reply.status = 302;
    reply.location = secure.BaseUrl() + "on-https";
    return reply;
  });

  webaccess::testing::VirtualClock clock;
  EventLoop loop(clock);
  CurlHttpClient http(5, 5);
  http.SetCaFile(certificates.Authority());
  loop.SetSource(&http);
  CurlCookies cookies;
  http.SetCookies(&cookies);
  NavigatingBrowser browser(http, loop);
  int completed = 0;
  browser.SetNavigateCompleteHandler([&] { ++completed; });
  browser.Navigate(secure.BaseUrl() + "logon");
  for (int turn = 0; turn < 500 && completed == 0; ++turn) loop.Turn(10);
  ASSERT_EQ(completed, 1);

  std::lock_guard lock(receivedMutex);
  EXPECT_EQ(received, (std::map<std::string, std::string>{
                          {"/logon", ""}, {"/on-http", ""}, {"/on-https", "SESSION=S3CR3T"}}));
}

}  // namespace
}  // namespace webaccess::platform::batch
