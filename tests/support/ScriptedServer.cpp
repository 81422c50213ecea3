#include "support/ScriptedServer.h"

namespace webaccess::testing {
namespace {

std::string ValueOf(const std::string& url, const std::string& name) {
  const std::size_t at = url.find("&" + name + "=");
  if (at == std::string::npos) return {};
  const std::size_t from = at + name.size() + 2;
  const std::size_t end = url.find('&', from);
  return url.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

bool Names(const std::string& url, const char* page) { return url.find(page) != std::string::npos; }

}  // namespace

std::string PercentDecode(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string ScriptedServer::Reply(const std::string& query) const {
  return base_ + "Zq3/Reply.asp?" + query;
}

std::vector<std::string> ScriptedServer::BodyFor(const std::string& record) {
  return {"RESULT " + record.substr(1, 19), "END OF RECORD"};
}

std::string ScriptedServer::ResponseFileFor(const std::vector<std::string>& records,
                                            bool completed) {
  std::string file = "RESPONSE FILE\r\nSECOND HEADER\r\n";
  for (const std::string& record : records) {
    const std::vector<std::string> body = BodyFor(record);
    // The header is the record itself: the audit line takes its positions
    // 1 to 19, 21 to 35 and 46 to 47. The body lines share one line, split by LF.
    file += "<NEW>" + record + "\r\n" + body[0] + "\n" + body[1] + "\r\n";
  }
  if (completed) file += "<COMPLETED>\r\n";
  return file;
}

std::string ScriptedServer::Answer(const std::string& url) {
  if (override) {
    if (auto answer = override(url)) return *answer;
  }
  if (Names(url, "V7Begin.asp")) {
    if (logonReply) return *logonReply;
    if (ValueOf(url, "Company").empty()) return base_ + "Zq3/V7Login.asp";
    return Reply("ACTION=LOGON&CID=" + cid + "&UID=" + uid);
  }
  if (Names(url, "V7Main.asp?ACTION=REQ")) {
    const std::string value = PercentDecode(ValueOf(url, "TheRecord"));
    const std::string record = value.substr(value.find('!') + 1);
    received.push_back(record);
    open_.push_back(record);
    return Reply("ACTION=NEXT");
  }
  if (Names(url, "V7Main.asp?ACTION=DONE")) {
    const std::string batch = ValueOf(url, "Batch");
    batchesClosed.push_back(batch);
    if (batch == "PICKUP") pickUpRequested_ = true;
    prepared_.insert(prepared_.end(), open_.begin(), open_.end());
    open_.clear();
    pollsSinceDone_ = 0;
    return url;  // the batch-done page: nothing the client acts on
  }
  if (Names(url, "V7Count.asp")) {
    std::string value;
    if (!countReplies.empty()) {
      value = countReplies.front();
      countReplies.pop_front();
    } else if (firstCount_) {
      value = waiting.empty() ? "NONE" : "OKAY";
      if (!waiting.empty()) prepared_ = waiting;
    } else if (++pollsSinceDone_ <= readyAfter) {
      value = "NONE";
    } else {
      value = prepared_.empty() && !pickUpRequested_ ? "NONE" : "OKAY";
    }
    firstCount_ = false;
    return Reply("ACTION=COUNT&REPLY=" + value);
  }
  if (Names(url, "V7Delete.asp")) {
    ++deletes;
    prepared_.clear();
    return Reply("ACTION=DELETED");
  }
  if (Names(url, "V7Message.asp")) {
    if (messages.empty()) return Reply("ACTION=MSG&REPLY=<NONE>");
    std::string text = messages.front();
    messages.pop_front();
    std::string escaped;
    for (const char c : text) escaped += c == ' ' ? std::string("%20") : std::string(1, c);
    return Reply("ACTION=MSG&REPLY=1|" + escaped);
  }
  return url;
}

ports::TransferResult ScriptedServer::Download(const std::string&, std::string& bytes) {
  if (failDownloads > 0) {
    --failDownloads;
    return {false, "connection reset"};
  }
  ++downloads;
  const bool completed = pickUpRequested_ && completedWhenEmpty;
  bytes = ResponseFileFor(prepared_, completed);
  return {true, {}};
}

}  // namespace webaccess::testing
