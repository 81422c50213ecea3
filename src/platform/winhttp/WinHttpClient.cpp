#include "platform/winhttp/WinHttpClient.h"

#include <algorithm>
#include <chrono>

namespace webaccess::platform {

WinHttpClient::WinHttpClient(WinHttpNetwork& network)
    : network_(network), worker_([this] { Work(); }) {}

WinHttpClient::~WinHttpClient() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    jobs_.clear();
  }
  work_.notify_one();
  WinHttpNetwork::Abort(running_);
  worker_.join();
}

std::uint64_t WinHttpClient::Get(const std::string& url, Done done) {
  const std::uint64_t id = nextId_++;
  waiting_.emplace(id, std::move(done));
  {
    const std::lock_guard lock(mutex_);
    jobs_.push_back({id, url});
  }
  work_.notify_one();
  return id;
}

void WinHttpClient::Cancel(std::uint64_t id) {
  if (waiting_.erase(id) == 0) return;
  const std::lock_guard lock(mutex_);
  std::erase_if(jobs_, [id](const Job& job) { return job.id == id; });
}

void WinHttpClient::Poll() {
  std::deque<Result> arrived;
  {
    const std::lock_guard lock(mutex_);
    arrived.swap(results_);
  }
  // The handlers may start and cancel requests, arrived ones among them.
  for (Result& result : arrived) {
    const auto it = waiting_.find(result.id);
    if (it == waiting_.end()) continue;
    const Done done = std::move(it->second);
    waiting_.erase(it);
    if (done) done(result.answer);
  }
}

void WinHttpClient::Wait(int milliseconds) {
  std::unique_lock lock(mutex_);
  arrived_.wait_for(lock, std::chrono::milliseconds(std::max(milliseconds, 0)),
                    [this] { return !results_.empty(); });
}

void WinHttpClient::Work() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      work_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    // A page's body is read to its end and dropped: the connection then
    // serves the next request.
    const Fetched fetched = network_.Fetch(job.url, {}, &running_);
    batch::HttpAnswer answer;
    answer.answered = fetched.answered;
    answer.status = fetched.status;
    answer.location = fetched.location;
    answer.certificateRefused = fetched.certificateRefused;
    if (!fetched.answered) answer.error = fetched.error;
    {
      const std::lock_guard lock(mutex_);
      results_.push_back({job.id, std::move(answer)});
    }
    arrived_.notify_one();
  }
}

}  // namespace webaccess::platform
