// The batch browser over the real libcurl against two loopback servers, one
// over https and one over plain http: a cookie the server marks Secure
// reaches the https server only. The plain one listens on 127.0.0.2: libcurl,
// like the web engine, counts 127.0.0.1 and localhost as secure however
// they are reached.
#include <gtest/gtest.h>

#include <httplib.h>

#include <map>
#include <mutex>
#include <thread>

#include "Fakes.h"
#include "HttpFront.h"
#include "platform/batch/NavigatingBrowser.h"
#include "platform/curl/CurlCookies.h"
#include "platform/curl/CurlHttpClient.h"
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
  httplib::Server plain;
  ASSERT_TRUE(secure.TlsReady());
  ASSERT_TRUE(secure.Bind(0));
  const int plainPort = plain.bind_to_any_port("127.0.0.2");
  ASSERT_GT(plainPort, 0);
  const std::string plainBase = "http://127.0.0.2:" + std::to_string(plainPort) + "/";
  std::map<std::string, std::string> received;  // target to the Cookie header
  std::mutex receivedMutex;
  const auto record = [&](const std::string& target, const std::string& cookie) {
    std::lock_guard lock(receivedMutex);
    received[target] = cookie;
  };
  secure.Start([&](const sim::SimRequest& request) {
    record(request.target, request.cookie);
    sim::SimReply reply;
    if (request.target == "/logon") {
      reply.status = 302;
      reply.setCookie = "SESSION=S3CR3T; Secure; Path=/";
      reply.location = plainBase + "on-http";
    }
    return reply;
  });
  plain.Get(".*", [&](const httplib::Request& request, httplib::Response& response) {
    record(request.path, request.get_header_value("Cookie"));
    response.set_redirect(secure.BaseUrl() + "on-https");
  });
  std::thread serving([&plain] { plain.listen_after_bind(); });

  webaccess::testing::VirtualClock clock;
  EventLoop loop(clock);
  CurlHttpClient http(5, 5);
  http.SetCaFile(certificates.Authority());
  loop.SetSource(&http);
  CurlCookies cookies;
  http.SetCookies(&cookies);
  NavigatingBrowser browser(http, loop);
  int completed = 0;
  browser.SetHandlers([&](const std::string&) { ++completed; }, nullptr, nullptr);
  browser.Navigate(secure.BaseUrl() + "logon");
  for (int turn = 0; turn < 500 && completed == 0; ++turn) loop.Turn(10);
  plain.stop();
  serving.join();
  ASSERT_EQ(completed, 1);

  std::lock_guard lock(receivedMutex);
  EXPECT_EQ(received, (std::map<std::string, std::string>{
                          {"/logon", ""}, {"/on-http", ""}, {"/on-https", "SESSION=S3CR3T"}}));
}

}  // namespace
}  // namespace webaccess::platform::batch
