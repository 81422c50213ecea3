#include "Fakes.h"

namespace webaccess::batch::testing {

std::uint64_t SimHttp::Get(const std::string& url, Done done) {
  if (onGet) onGet(url);
  requests.emplace_back(url, cookie_);
  const std::uint64_t id = nextId_++;
  pending_.emplace(id, Pending{url, cookie_, std::move(done)});
  return id;
}

void SimHttp::Poll() {
  // Requests started by the handlers (the next hop of a redirect) are
  // answered by the same poll: a navigation completes at once.
  for (int round = 0; round < 100 && !pending_.empty(); ++round) {
    std::map<std::uint64_t, Pending> answering;
    answering.swap(pending_);
    for (auto& [id, request] : answering) AnswerOne(request);
  }
}

void SimHttp::AnswerOne(Pending& request) {
  const sim::SimReply reply = server_.Handle(request.url, request.cookie);
  platform::batch::HttpAnswer answer;
  if (reply.delivery == sim::SimReply::Delivery::Drop) {
    answer.error = "Empty reply from server";
  } else {
    answer.answered = true;
    answer.status = reply.status;
    answer.location = reply.location;
    // "NAME=VALUE; Path=/": the pair goes back.
    if (!reply.setCookie.empty()) cookie_ = reply.setCookie.substr(0, reply.setCookie.find(';'));
  }
  request.done(answer);
}

void SimHttp::Wait(int milliseconds) {
  if (pending_.empty()) clock_.Advance(milliseconds);
}

ports::TransferResult SimTransfer::Download(const std::string& url, const Sink& sink) {
  std::string bytes;
  ports::TransferResult result = server_.Download(url, bytes, http_.Cookie());
  if (result.ok && !sink(bytes.data(), bytes.size())) return {false, "cannot store"};
  return result;
}

Terminal::Reply RecordingTerminal::Ask(const std::string&, std::optional<long long> timeLimitMs) {
  limitsSeen.push_back(timeLimitMs);
  if (replies.empty()) return Reply::NoInput;
  const Reply reply = replies.front();
  replies.erase(replies.begin());
  return reply;
}

std::string RecordingTerminal::All() const {
  std::string all;
  for (const std::string& line : printed) all += line + "\n";
  for (const std::string& line : reported) all += line + "\n";
  return all;
}

}  // namespace webaccess::batch::testing
