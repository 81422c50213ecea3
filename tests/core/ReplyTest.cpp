// The reply parser: which reply a final URL is, and its parts.
#include "protocol/Reply.h"

#include <gtest/gtest.h>

namespace webaccess::protocol {
namespace {

using Text = std::optional<std::string>;

struct ReplyRow {
  const char* url;
  ReplyKind kind;
  Text value = std::nullopt;
  Text userId = std::nullopt;
  std::string companyNumber = "";
  Text message = std::nullopt;
};

const ReplyRow kRows[] = {
    {.url = "", .kind = ReplyKind::None},
    {.url = "   ", .kind = ReplyKind::None},
    {.url = "  http://h/x?action=next  ", .kind = ReplyKind::Next},
    {.url = "http://h/Zq3/V7Main.asp?ACTION=DONE&Batch=143015", .kind = ReplyKind::None},
    {.url = "http://h/Zq3/V7Login.asp?ACTION=LOGON&CID=1&UID=2", .kind = ReplyKind::LogonPage},
    {.url = "http://h/V7LoginPassword.asp?ACTION=EXIT&REPLY=ABORT",
     .kind = ReplyKind::LogonPage,
     .value = "ABORT"},
    {.url = "X?ACTION=MSG&ACTION=EXIT&REPLY=abort",
     .kind = ReplyKind::ServerCode,
     .value = "ABORT"},
    {.url = "X?ACTION=EXIT", .kind = ReplyKind::ServerCode},
    {.url = "X?ACTION=MSG&REPLY=<NONE>", .kind = ReplyKind::NoMoreMessages, .value = "<NONE>"},
    {.url = "X?ACTION=MSG&REPLY=%3CNONE%3E<NONE>",
     .kind = ReplyKind::NoMoreMessages,
     .value = "%3CNONE%3E<NONE>"},
    {.url = "X?ACTION=MSG&REPLY=7|server%20is%20busy",
     .kind = ReplyKind::Message,
     .value = "7|SERVER IS BUSY",
     .message = "SERVER IS BUSY"},
    {.url = "X?ACTION=MSG&REPLY=1|A|B%20",
     .kind = ReplyKind::Message,
     .value = "1|A|B ",
     .message = "A|B "},
    {.url = "X?ACTION=MSG&REPLY=1%7CA", .kind = ReplyKind::Message, .value = "1%7CA"},
    {.url = "X?ACTION=MSG&REPLY=NOBAR", .kind = ReplyKind::Message, .value = "NOBAR"},
    {.url = "X?ACTION=MSG&REP%20LY=1|A", .kind = ReplyKind::Message},
    {.url = "X?ACTION=MSG", .kind = ReplyKind::Message},
    {.url = "X?ACTION=TERMINAL&ACTION=NEXT", .kind = ReplyKind::Terminal},
    {.url = "X?ACTION=NEXT&ACTION=LOGON&UID=1", .kind = ReplyKind::Next},
    {.url = "X?ACTION=LOGON&CID=12345&UID=ab1",
     .kind = ReplyKind::Logon,
     .userId = "AB1",
     .companyNumber = "12345&"},
    {.url = "X?ACTION=LOGON&UID=U1",
     .kind = ReplyKind::Logon,
     .userId = "U1",
     .companyNumber = "CTION=LOGON&"},
    {.url = "X?ACTION=LOGON&UID=U1&CID=C1", .kind = ReplyKind::Logon, .userId = "U1&CID=C1"},
    {.url = "X?ACTION=LOGON&CID=7777777", .kind = ReplyKind::Logon},
    {.url = "X?ACTION=COUNT&REPLY=NONE&T=1", .kind = ReplyKind::Count, .value = "NONE&T=1"},
    {.url = "X?ACTION=COUNT&REPLY=OKAY&REPLY=NONE",
     .kind = ReplyKind::Count,
     .value = "OKAY&REPLY=NONE"},
    {.url = "X?ACTION=COUNT%20&REPLY=", .kind = ReplyKind::Count, .value = ""},
    {.url = "X?ACTION=DELETED&ACTION=COUNT", .kind = ReplyKind::Count},
    {.url = "X?ACTION=DELETED", .kind = ReplyKind::Deleted},
};

TEST(ReadReplyTest, ClassifiesTheReplyAndTakesItApart) {
  for (const ReplyRow& row : kRows) {
    SCOPED_TRACE(row.url);
    const Reply reply = ReadReply(row.url);
    EXPECT_EQ(reply.kind, row.kind);
    EXPECT_EQ(reply.value, row.value);
    EXPECT_EQ(reply.userId, row.userId);
    EXPECT_EQ(reply.companyNumber, row.companyNumber);
    EXPECT_EQ(reply.message, row.message);
  }
}

}  // namespace
}  // namespace webaccess::protocol
