// Page URLs, the values placed in them, the decoding of blanks and the server settings.
#include "protocol/PageUrl.h"

#include <gtest/gtest.h>

#include <map>

#include "protocol/ServerTable.h"

namespace webaccess::protocol {
namespace {

TEST(PageUrlTest, EveryRequestCarriesTheActionEvenWhenEmpty) {
  EXPECT_EQ(BuildPageUrl("https://h/", kPageCount, "", ""), "https://h/Zq3/V7Count.asp?ACTION=");
  EXPECT_EQ(BuildPageUrl("https://h/", kPageBegin, "", "&Company=1"),
            "https://h/Zq3/V7Begin.asp?ACTION=&Company=1");
  EXPECT_EQ(BuildPageUrl("https://h/", kPageMain, "DONE", "&Batch=PICKUP"),
            "https://h/Zq3/V7Main.asp?ACTION=DONE&Batch=PICKUP");
}

TEST(PageUrlTest, TheDownloadNameKeepsTheFieldsAtFullWidth) {
  EXPECT_EQ(DownloadUrl("https://h/", "1234567", "ABC12 "),
            "https://h/Zq3/_ffffs/1234567ABC12 .TXT");
}

TEST(EncodeQueryValueTest, OnlyBytesThatWouldChangeTheRequestAreEscaped) {
  EXPECT_EQ(EncodeQueryValue("A B!c-9"), "A B!c-9");
  EXPECT_EQ(EncodeQueryValue("%&#+"), "%25%26%23%2B");
  EXPECT_EQ(EncodeQueryValue(std::string("\t\x7F\xE9\0", 4)), "%09%7F%E9%00");
}

TEST(DecodeSpacesTest, ReplacesEachEscapeOnceFromLeftToRight) {
  EXPECT_EQ(DecodeSpaces("NO ESCAPE"), "NO ESCAPE");
  EXPECT_EQ(DecodeSpaces("A%20%20B"), "A  B");
  EXPECT_EQ(DecodeSpaces("END%20"), "END ");
  EXPECT_EQ(DecodeSpaces("%2020"), " 20");
  EXPECT_EQ(DecodeSpaces("%%2020"), "% 20");
  EXPECT_EQ(DecodeSpaces("A%2C"), "A%2C");
}

class SettingsTest : public ::testing::Test {
 protected:
  std::optional<Settings> Load() {
    return LoadSettings(
        [this](const char* name) -> const char* {
          auto it = env.find(name);
          return it == env.end() ? nullptr : it->second.c_str();
        },
        error);
  }
  std::map<std::string, std::string> env;
  std::string error;
};

TEST_F(SettingsTest, TheBuiltInTableIsUsedWithoutOverrides) {
  const auto settings = Load();
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->waitIntervalMs, 10000);
  EXPECT_EQ(settings->servers.main.label, "Main Server");
  EXPECT_EQ(settings->servers.alternate.label, "Alternate Server");
  EXPECT_EQ(settings->servers.test.label, "Test Server");
  EXPECT_EQ(settings->servers.ip.label, "I.P. Address");
  EXPECT_TRUE(IsBaseUrl(settings->servers.main.baseUrl));
  EXPECT_TRUE(settings->servers.test.baseUrl.starts_with("http://"));
}

TEST_F(SettingsTest, TheEnvironmentOverridesTheServersAndTheWait) {
  env["WEBACCESS_MAIN_URL"] = "http://127.0.0.1:8080/";
  env["WEBACCESS_WAIT_MS"] = "25";
  const auto settings = Load();
  ASSERT_TRUE(settings) << error;
  EXPECT_EQ(settings->servers.main.baseUrl, "http://127.0.0.1:8080/");
  EXPECT_EQ(settings->waitIntervalMs, 25);
}

TEST_F(SettingsTest, ABadValueNamesItsVariable) {
  for (const char* bad : {"http://h", "ftp://h/", "https:///", "h/", "http://h /"}) {
    env["WEBACCESS_ALT_URL"] = bad;
    EXPECT_FALSE(Load()) << bad;
    EXPECT_NE(error.find("WEBACCESS_ALT_URL"), std::string::npos);
  }
  env.erase("WEBACCESS_ALT_URL");
  for (const char* bad : {"", "0", "-5", "10s", "99999999999"}) {
    env["WEBACCESS_WAIT_MS"] = bad;
    EXPECT_FALSE(Load()) << bad;
    EXPECT_NE(error.find("WEBACCESS_WAIT_MS"), std::string::npos);
  }
}

TEST(PageName, IsTheLastPathSegmentWithoutItsExtension) {
  struct Case {
    const char* url;
    const char* page;
  };
  const Case cases[] = {
      {.url = "http://h:1/Zq3/V7Main.asp?ACTION=REQ&TheRecord=123456!a/b.c", .page = "V7Main"},
      {.url = "https://h/Zq3/V7Begin.asp?ACTION=&CompPass=X", .page = "V7Begin"},
      {.url = "http://h/Zq3/Loop.asp#x.y", .page = "Loop"},
      {.url = "http://h/Zq3/v7count", .page = "v7count"},
      {.url = "http://h?ACTION=", .page = "/"},
      {.url = "/Zq3/V7Delete.asp?ACTION=", .page = "V7Delete"},
  };
  for (const Case& c : cases) EXPECT_EQ(PageName(c.url), c.page) << c.url;
}

}  // namespace

}  // namespace webaccess::protocol
