#include "support/FakePlatform.h"

#include <algorithm>

namespace webaccess::testing {

void EventQueue::RunPending() {
  ++depth_;
  if (depth_ > maxDepth_) maxDepth_ = depth_;
  for (std::size_t n = events_.size(); n > 0 && !events_.empty(); --n) {
    auto event = std::move(events_.front());
    events_.pop_front();
    try {
      event();
    } catch (...) {
      --depth_;
      throw;
    }
  }
  --depth_;
}

ports::LocalTime VirtualClock::Now() const {
  std::int64_t seconds =
      start.second + 60 * (start.minute + 60 * std::int64_t{start.hour}) + ms_ / 1000;
  ports::LocalTime t = start;
  t.day += static_cast<int>(seconds / 86400);  // tests stay within the month
  seconds %= 86400;
  t.hour = static_cast<int>(seconds / 3600);
  t.minute = static_cast<int>(seconds / 60 % 60);
  t.second = static_cast<int>(seconds % 60);
  return t;
}

void FakeTimer::SetInterval(int milliseconds) {
  intervalsSet.push_back(milliseconds);
  interval_ = milliseconds;
  dueAt_ = clock_.ms() + milliseconds;
}

void FakeTimer::Fire() {
  dueAt_ = clock_.ms() + interval_;
  NotifyTick();
}

void FakeBrowser::Navigate(const std::string& url) {
  requests.push_back(url);
  const int navigation = ++navigations_;
  if (std::string why = refuseCertificate ? refuseCertificate(url) : ""; !why.empty()) {
    queue_.Post([this, why] { NotifyCertificateRefused(why); });
    return;
  }
  const Navigation answered = responder ? responder(url) : Navigation{};
  if (!answered.finalUrl.empty()) {
    queue_.Post([this, finalUrl = answered.finalUrl] { NotifyNavigateComplete(finalUrl); });
  }
  if (!answered.failure.empty()) {
    queue_.Post([this, navigation, url, why = answered.failure] {
      if (navigation == navigations_) NotifyRequestFailed(url, why);
    });
  }
}

ports::TransferResult FakeTransfer::Download(const std::string& url, const Sink& sink) {
  urls.push_back(url);
  if (!source) return {false, "no server"};
  std::string bytes;
  ports::TransferResult result = source(url, bytes);
  // Hand the bytes over in pieces, as a network would.
  constexpr std::size_t kChunk = 7;
  for (std::size_t at = 0; at < bytes.size(); at += kChunk) {
    const std::size_t size = std::min(kChunk, bytes.size() - at);
    if (!sink(bytes.data() + at, size)) return {false, "stopped by the receiver"};
  }
  return result;
}

ports::Answer ScriptedDialogs::AskYesNo(const std::string& title, const std::string& text) {
  asked.push_back({title, text});
  if (whileOpen) whileOpen();
  if (answers.empty()) return whenScriptEnds;
  const ports::Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

void ScriptedDialogs::ShowCritical(const std::string& title, const std::string& text) {
  boxes.push_back({title, text});
}

void ScriptedDialogs::ShowServerMessage(const std::string& text) {
  serverMessages.push_back(text);
  if (whileOpen) whileOpen();
}

void FakeView::SetText(ports::Control control, const std::string& text) {
  texts_[control] = text;
  if (control == ports::Control::lblDisplay) displays.push_back(text);
}

std::string FakeView::Text(ports::Control control) const {
  auto it = texts_.find(control);
  return it == texts_.end() ? std::string{} : it->second;
}

bool FakeView::Enabled(ports::Control control) const {
  auto it = enabled_.find(control);
  return it == enabled_.end() ? true : it->second;
}

void FakeProcess::UnloadMainWindow() {
  unloaded = true;
  if (onUnload) onUnload();
}

}  // namespace webaccess::testing
