#include "protocol/Reply.h"

#include "protocol/PageUrl.h"

namespace webaccess::protocol {
namespace {

std::optional<std::string> OwnedValue(std::string_view reply) {
  const auto value = ValueAfterReply(reply);
  if (!value) return std::nullopt;
  return std::string(*value);
}

ReplyKind KindOf(std::string_view reply) {
  if (Holds(reply, "V7LOGINPASSWORD.ASP") || Holds(reply, "V7LOGIN.ASP")) {
    return ReplyKind::LogonPage;
  }
  if (Holds(reply, "ACTION=EXIT")) return ReplyKind::ServerCode;
  if (Holds(reply, "ACTION=MSG")) {
    return Holds(reply, "<NONE>") ? ReplyKind::NoMoreMessages : ReplyKind::Message;
  }
  if (Holds(reply, "ACTION=TERMINAL")) return ReplyKind::Terminal;
  if (Holds(reply, "ACTION=NEXT")) return ReplyKind::Next;
  if (Holds(reply, "ACTION=LOGON")) return ReplyKind::Logon;
  if (Holds(reply, "ACTION=COUNT")) return ReplyKind::Count;
  if (Holds(reply, "ACTION=DELETED")) return ReplyKind::Deleted;
  return ReplyKind::None;
}

void ReadLogon(std::string_view reply, Reply& out) {
  const std::size_t uid = reply.find("UID=");
  if (uid == std::string_view::npos) return;
  out.userId = std::string(reply.substr(uid + 4));
  const std::size_t cid = reply.find("CID=");
  const std::string_view cut = reply.substr(0, uid);
  // Without "CID=" the company number is taken from the cut reply's fourth
  // character on, as a search that found nothing at position 0 would.
  const std::size_t from = cid == std::string_view::npos ? 3 : cid + 4;
  if (from < cut.size()) out.companyNumber = std::string(cut.substr(from));
}

void ReadMessage(std::string_view reply, Reply& out) {
  out.value = OwnedValue(DecodeSpaces(reply));
  if (!out.value) return;
  const std::size_t bar = out.value->find('|');
  if (bar != std::string::npos) out.message = out.value->substr(bar + 1);
}

}  // namespace

std::string NormaliseReply(std::string_view url) {
  const std::size_t first = url.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = url.find_last_not_of(' ');
  std::string reply(url.substr(first, last - first + 1));
  for (char& c : reply) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return reply;
}

std::optional<std::string_view> ValueAfterReply(std::string_view reply) {
  const std::size_t at = reply.find("REPLY=");
  if (at == std::string_view::npos) return std::nullopt;
  return reply.substr(at + 6);
}

Reply ReadReply(std::string_view url) {
  const std::string reply = NormaliseReply(url);
  Reply out;
  if (reply.empty()) return out;
  out.kind = KindOf(reply);
  switch (out.kind) {
    case ReplyKind::Logon:
      out.value = OwnedValue(reply);
      ReadLogon(reply, out);
      break;
    case ReplyKind::Message:
      ReadMessage(reply, out);
      break;
    default:
      out.value = OwnedValue(reply);
      break;
  }
  return out;
}

}  // namespace webaccess::protocol
