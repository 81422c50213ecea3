#include "SimServer.h"

#include <random>

namespace webaccess::sim {
namespace {

constexpr const char* kSessionCookie = "SIMSESSION";

std::string Fixed(const std::string& text, std::size_t width) {
  std::string out = text.substr(0, width);
  out.resize(width, ' ');
  return out;
}

Page Classify(const std::string& path) {
  const std::string lower = Lower(path);
  static const std::pair<const char*, Page> kPages[] = {
      {"/zq3/v7begin.asp", Page::Begin},   {"/zq3/v7login.asp", Page::Login},
      {"/zq3/v7main.asp", Page::Main},     {"/zq3/v7count.asp", Page::Count},
      {"/zq3/v7delete.asp", Page::Delete}, {"/zq3/v7message.asp", Page::Message},
      {"/zq3/reply.asp", Page::Reply},     {"/zq3/loop.asp", Page::Loop},
  };
  for (const auto& [name, page] : kPages) {
    if (lower == name) return page;
  }
  if (lower.starts_with("/zq3/_ffffs/") && lower.ends_with(".txt")) return Page::File;
  return Page::Other;
}

std::string NewSessionValue() {
  std::random_device device;
  std::uniform_int_distribution<unsigned long long> digits(0, 0xFFFFFFFFFFFFULL);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string value;
  for (unsigned long long n = digits(device), i = 0; i < 12; ++i, n >>= 4) value += kHex[n & 0xF];
  return value;
}

}  // namespace

std::string EarlierRecord(int n) {
  std::string record =
      "E" + Fixed("EARLIER REQUEST " + std::to_string(n), 19) + Fixed("WAITING", 15) + "CA";
  record.resize(56, ' ');
  return record + "00";
}

std::string ResponseFileName(const std::string& companyNumber, const std::string& userId) {
  return Fixed(companyNumber + "&", 7) + Fixed(userId, 6) + ".TXT";
}

SimServer::SimServer(SimOptions options, std::string baseUrl)
    : options_(std::move(options)),
      base_(std::move(baseUrl)),
      faultUsed_(options_.faults.size(), false),
      messages_(options_.messages.begin(), options_.messages.end()) {}

std::vector<std::string> SimServer::Records() const {
  std::lock_guard lock(mutex_);
  return records_;
}

SimReply SimServer::Handle(const SimRequest& request) {
  std::lock_guard lock(mutex_);
  ++requests_;
  const Target target = ParseTarget(request.target);
  const Page page = Classify(target.path);
  const int nthOfPage = ++perPage_[page];

  SimReply reply;
  const std::optional<FaultKind> fault = TakeFault(page, nthOfPage);
  if (options_.uriLimit > 0 &&
      request.target.size() > static_cast<std::size_t>(options_.uriLimit)) {
    reply.status = 414;
    reply.body = "<html><body><h1>414 URI Too Long</h1></body></html>";
  } else if (!fault || *fault == FaultKind::ShortBody) {
    reply = Answer(page, target, request);
    if (fault) reply.delivery = SimReply::Delivery::ShortBody;
  } else if (*fault == FaultKind::Drop) {
    reply.delivery = SimReply::Delivery::Drop;
  } else if (*fault == FaultKind::ServerError) {
    reply.status = 500;
    reply.body = "<html><body><h1>500 Internal Server Error</h1></body></html>";
  } else {
    reply = Redirect(base_ + "Zq3/Loop.asp?N=1");
  }
  reply.exitAfter = options_.exitAfter > 0 && requests_ >= options_.exitAfter;
  return reply;
}

std::optional<FaultKind> SimServer::TakeFault(Page page, int nthOfPage) {
  for (std::size_t i = 0; i < options_.faults.size(); ++i) {
    const FaultPoint& point = options_.faults[i];
    if (faultUsed_[i]) continue;
    const bool strikes = point.page ? (*point.page == page && point.occurrence == nthOfPage)
                                    : point.occurrence == requests_;
    if (strikes) {
      faultUsed_[i] = true;
      return point.kind;
    }
  }
  return std::nullopt;
}

SimReply SimServer::Redirect(const std::string& location) const {
  SimReply reply;
  reply.status = 302;
  reply.location = location;
  reply.body = "<html><body>Object moved</body></html>";
  return reply;
}

SimReply SimServer::ToReply(const std::string& query) const {
  return Redirect(base_ + "Zq3/Reply.asp?" + query);
}

SimReply SimServer::Page200(const std::string& body) const {
  SimReply reply;
  reply.body = "<html><body>" + body + "</body></html>";
  return reply;
}

bool SimServer::HasSession(const std::string& cookieHeader) const {
  if (session_.empty()) return false;
  const std::string wanted = std::string(kSessionCookie) + "=" + session_;
  std::string_view rest(cookieHeader);
  while (!rest.empty()) {
    const std::size_t semicolon = rest.find(';');
    if (TrimBlanks(rest.substr(0, semicolon)) == wanted) return true;
    rest = semicolon == std::string_view::npos ? std::string_view{} : rest.substr(semicolon + 1);
  }
  return false;
}

SimReply SimServer::Answer(Page page, const Target& target, const SimRequest& request) {
  const bool needsSession = page == Page::Main || page == Page::Count || page == Page::Delete ||
                            page == Page::Message || page == Page::File;
  if (needsSession && options_.requireCookie && !HasSession(request.cookie)) {
    return Redirect(base_ + "Zq3/V7Login.asp");
  }
  switch (page) {
    case Page::Begin: {
      if (options_.error) return ToReply("ACTION=EXIT&REPLY=" + *options_.error);
      const std::string company = TrimBlanks(Param(target, "Company").value_or(""));
      if (company.empty()) return Redirect(base_ + "Zq3/V7Login.asp");
      return LogOn(company, Param(target, "User").value_or(""));
    }
    case Page::Login: {
      const std::string company = TrimBlanks(Param(target, "Company").value_or(""));
      if (options_.interactiveLogon && !company.empty()) {
        return LogOn(company, Param(target, "User").value_or(""));
      }
      return LogonPage();
    }
    case Page::Main:
      return Main(target);
    case Page::Count:
      return Count();
    case Page::Delete:
      prepared_.reset();
      return ToReply("ACTION=DELETED");
    case Page::Message:
      return Message();
    case Page::File:
      return File(target);
    case Page::Reply:
      return Page200("Reply received.");
    case Page::Loop: {
      int n = 0;
      const std::string text = Param(target, "N").value_or("0");
      for (const char c : text) {
        if (c >= '0' && c <= '9' && n < 100000000) n = n * 10 + (c - '0');
      }
      return Redirect(base_ + "Zq3/Loop.asp?N=" + std::to_string(n + 1));
    }
    case Page::Other:
      break;
  }
  SimReply missing = Page200("<h1>404 Not Found</h1>");
  missing.status = 404;
  return missing;
}

SimReply SimServer::LogOn(const std::string& company, const std::string& user) {
  companyNumber_ = Upper(company);
  userId_ = Upper(TrimBlanks(user));
  if (options_.waiting > 0 && !earlierPrepared_) {
    earlierPrepared_ = true;
    std::vector<Response> earlier;
    for (int n = 1; n <= options_.waiting; ++n) {
      earlier.push_back({nextResponse_++, EarlierRecord(n), {}});
    }
    Prepare(std::move(earlier), false);
  }
  SimReply reply = ToReply("ACTION=LOGON&CID=" + companyNumber_ + "&UID=" + userId_);
  if (options_.requireCookie) {
    session_ = NewSessionValue();
    reply.setCookie = std::string(kSessionCookie) + "=" + session_ + "; Path=/; HttpOnly";
  }
  return reply;
}

SimReply SimServer::LogonPage() const {
  if (!options_.interactiveLogon) {
    return Page200(
        "<h1>Log on</h1><p>This server takes the credentials from the client's command "
        "line only.</p>");
  }
  return Page200(
      "<h1>Log on</h1><form method=\"get\" action=\"V7Login.asp\">"
      "<p>Company <input name=\"Company\" maxlength=\"7\"> Password "
      "<input name=\"CompPass\" type=\"password\" maxlength=\"4\"></p>"
      "<p>User <input name=\"User\" maxlength=\"6\"> Password "
      "<input name=\"UserPass\" type=\"password\" maxlength=\"6\"></p>"
      "<p><input type=\"submit\" value=\"Log On\"></p></form>");
}

SimReply SimServer::Main(const Target& target) {
  const std::string action = Upper(Param(target, "ACTION").value_or(""));
  if (action == "REQ") {
    const std::string value = Param(target, "TheRecord").value_or("");
    const std::size_t bang = value.find('!');
    if (bang == std::string::npos) return ToReply("ACTION=EXIT&REPLY=BADRECORD");
    const std::string record = value.substr(bang + 1);
    ++recordsReceived_;
    records_.push_back(record);
    const auto failure = options_.failRecords.find(recordsReceived_);
    openBatch_.push_back(
        {nextResponse_++, record, failure == options_.failRecords.end() ? "" : failure->second});
    return ToReply("ACTION=NEXT");
  }
  if (action == "DONE") {
    const std::string batch = Param(target, "Batch").value_or("");
    if (Upper(batch) == "PICKUP") {
      ++pickUps_;
      closedCompletes_ = pickUps_ >= options_.pickupRounds;
    } else {
      closed_.insert(closed_.end(), openBatch_.begin(), openBatch_.end());
      openBatch_.clear();
    }
    closedWaiting_ = true;
    pollsSinceDone_ = 0;
    return ToReply("ACTION=QUEUED&BATCH=" + batch);
  }
  return ToReply("ACTION=EXIT&REPLY=BADACTION");
}

void SimServer::Prepare(std::vector<Response> responses, bool completed) {
  ResponseFileContent content;
  content.companyNumber = companyNumber_;
  content.userId = userId_;
  content.responses = std::move(responses);
  content.completed = completed;
  if (!fileMessagesSent_) {
    content.messages = options_.fileMessages;
    fileMessagesSent_ = true;
  }
  prepared_ = std::move(content);
}

SimReply SimServer::Count() {
  if (!prepared_ && closedWaiting_) {
    if (pollsSinceDone_ < options_.readyAfter) {
      ++pollsSinceDone_;
    } else {
      Prepare(std::move(closed_), closedCompletes_);
      closed_.clear();
      closedWaiting_ = false;
      closedCompletes_ = false;
    }
  }
  return ToReply(prepared_ ? "ACTION=COUNT&REPLY=OKAY" : "ACTION=COUNT&REPLY=NONE");
}

SimReply SimServer::Message() {
  if (messages_.empty()) return ToReply("ACTION=MSG&REPLY=<NONE>");
  const std::string text = messages_.front();
  messages_.pop_front();
  return ToReply("ACTION=MSG&REPLY=" + std::to_string(++messagesSent_) + "|" + EscapeBlanks(text));
}

SimReply SimServer::File(const Target& target) const {
  const std::string name = target.path.substr(std::string("/Zq3/_ffffs/").size());
  if (!prepared_ || Upper(name) != Upper(ResponseFileName(companyNumber_, userId_))) {
    SimReply missing = Page200("<h1>404 Not Found</h1>");
    missing.status = 404;
    return missing;
  }
  SimReply reply;
  reply.contentType = "text/plain";
  reply.body = BuildResponseFile(*prepared_);
  reply.holdMs = options_.holdFileMs;
  return reply;
}

}  // namespace webaccess::sim
