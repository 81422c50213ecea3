#include <gtest/gtest.h>

#include "platform/batch/Url.h"

namespace webaccess::platform::batch {
namespace {

TEST(ResolveLocation, KeepsAnAbsoluteLocationExactlyAsWritten) {
  const std::string location = "http://127.0.0.1:9/Zq3/Reply.asp?ACTION=MSG&REPLY=7|A%20B <NONE>";
  EXPECT_EQ(ResolveLocation("http://x/Zq3/V7Message.asp?ACTION=", location), location);
  EXPECT_EQ(ResolveLocation("http://x/", "HTTPS://Other/P"), "HTTPS://Other/P");
}

TEST(ResolveLocation, JoinsRelativeLocationsWithoutEscaping) {
  const std::string base = "https://host:8443/Zq3/V7Main.asp?ACTION=REQ&TheRecord=1!a b";
  EXPECT_EQ(ResolveLocation(base, "Reply.asp?REPLY=1|A%20B"),
            "https://host:8443/Zq3/Reply.asp?REPLY=1|A%20B");
  EXPECT_EQ(ResolveLocation(base, "/Zq3/V7Login.asp"), "https://host:8443/Zq3/V7Login.asp");
  EXPECT_EQ(ResolveLocation(base, "//elsewhere/x"), "https://elsewhere/x");
  EXPECT_EQ(ResolveLocation(base, "?ACTION=NEXT"), "https://host:8443/Zq3/V7Main.asp?ACTION=NEXT");
}

TEST(SplitUrl, TakesHostAndPathApart) {
  UrlParts parts;
  ASSERT_TRUE(SplitUrl("HTTP://User@Host.Example:81/a/b.asp?x=/y#z", parts));
  EXPECT_EQ(parts.scheme, "http");
  EXPECT_EQ(parts.host, "host.example");
  EXPECT_EQ(parts.path, "/a/b.asp");
  ASSERT_TRUE(SplitUrl("http://h?q", parts));
  EXPECT_EQ(parts.path, "/");
  EXPECT_FALSE(SplitUrl("/relative/path", parts));
}

}  // namespace
}  // namespace webaccess::platform::batch
