// The rule that turns the engine's URL back into the server's. The engine
// forms on the left are what the web engine reported, in this toolkit
// version, for redirects to the server forms on the right.
#include <gtest/gtest.h>

#include "platform/qt/EngineUrl.h"

namespace webaccess::platform {
namespace {

struct Case {
  const char* name;
  const char* engine;
  const char* server;
};

class ServerWrittenUrlTest : public ::testing::TestWithParam<Case> {};

TEST_P(ServerWrittenUrlTest, GivesBackWhatTheServerWrote) {
  EXPECT_EQ(ServerWrittenUrl(GetParam().engine), GetParam().server);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ServerWrittenUrlTest,
    ::testing::Values(
        // The replies of the conversation.
        Case{"MessageNone", "http://h:8/Zq3/V7Message.asp?ACTION=MSG&REPLY=%3CNONE%3E",
             "http://h:8/Zq3/V7Message.asp?ACTION=MSG&REPLY=<NONE>"},
        Case{"MessageWithBar", "http://h/Zq3/V7Message.asp?ACTION=MSG&REPLY=7%7CSERVER%20IS%20BUSY",
             "http://h/Zq3/V7Message.asp?ACTION=MSG&REPLY=7|SERVER%20IS%20BUSY"},
        Case{"CountOkay", "http://h/Zq3/V7Count.asp?ACTION=COUNT&REPLY=OKAY",
             "http://h/Zq3/V7Count.asp?ACTION=COUNT&REPLY=OKAY"},
        // A raw blank reads back as %20, as the server's own escape does.
        Case{"RawBlank", "http://h/a.asp?REPLY=raw%20space", "http://h/a.asp?REPLY=raw%20space"},
        // All ten characters the engine escapes.
        Case{"TenCharactersInTheQuery",
             "http://h/a.asp?R=q%22uote%27apos%60back%7Bbr%7Dhat%5Ebs%5Cend",
             "http://h/a.asp?R=q\"uote'apos`back{br}hat^bs\\end"},
        Case{"CharactersInPathAndFragment", "http://h/p%20a%3Ct%3Eh%7Cx%7By%7D/b.asp?R=1#frag%7Cx",
             "http://h/p%20a<t>h|x{y}/b.asp?R=1#frag|x"},
        // Other escapes stay as they came: an escaped percent sign before
        // hex digits, a comma, non-ASCII and control bytes.
        Case{"OtherEscapesKept", "http://h/a.asp?R=%2541%2C%C3%A9%01%7F",
             "http://h/a.asp?R=%2541%2C%C3%A9%01%7F"},
        Case{"PlainPunctuationKept", "http://h/a.asp?R=a+b&c=d;e=f[1]@!$()*,:/?",
             "http://h/a.asp?R=a+b&c=d;e=f[1]@!$()*,:/?"},
        // A lone "%" made the toolkit escape every "%".
        Case{"LonePercentInAMessage", "http://h/a.asp?R=3%7C50%25%2520DONE%7Cx%2520y",
             "http://h/a.asp?R=3|50%%20DONE|x%20y"},
        Case{"LonePercentFirst", "http://h/a.asp?R=%25zz%253CNONE%253E",
             "http://h/a.asp?R=%zz<NONE>"},
        Case{"LonePercentEverywhere", "http://h/a.asp?R=lone%25zz%25%2525%253c%257c%2541",
             "http://h/a.asp?R=lone%zz%%25<|%41"},
        Case{"LonePercentBeforeOneDigit", "http://h/a.asp?R=%252", "http://h/a.asp?R=%2"},
        Case{"LonePercentAtTheEnd", "http://h/a.asp?R=100%25", "http://h/a.asp?R=100%"},
        // Text that is no escape at all is copied.
        Case{"ShortEscapeCopied", "http://h/a.asp?R=%3", "http://h/a.asp?R=%3"},
        Case{"Empty", "", ""}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace webaccess::platform
