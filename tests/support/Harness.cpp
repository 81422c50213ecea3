#include "support/Harness.h"

#include <filesystem>
#include <sstream>

namespace webaccess::testing {

bool FileExists(const std::string& name) { return std::filesystem::exists(name); }

std::string InquiryRecord(int number, std::size_t length) {
  std::ostringstream record;
  record << 'A' << "NAME" << number;
  std::string text = record.str();
  text.resize(20, ' ');
  text += "PLATE" + std::to_string(number);
  text.resize(45, ' ');
  text += "CA";
  while (text.size() < length) text += static_cast<char>('0' + text.size() % 10);
  text.resize(length);
  return text;
}

std::string InquiryLines(int n, std::size_t length, int firstNumber) {
  std::string lines;
  for (int i = 0; i < n; ++i) lines += InquiryRecord(firstNumber + i, length) + "\r\n";
  return lines;
}

Harness::Harness(std::string commandLine) {
  browser.responder = [this](const std::string& url) { return server.Answer(url); };
  transfer.source = [this](const std::string& url, std::string& bytes) {
    return server.Download(url, bytes);
  };
  protocol::Settings settings{{{"Main Server", kBase},
                               {"Alternate Server", kAltBase},
                               {"Test Server", kTestBase},
                               {"I.P. Address", kIpBase}}};
  form = std::make_unique<app::MainForm>(platform, settings, std::move(commandLine));
  process.onUnload = [this] { CloseBox(); };
}

void Harness::Open() {
  form->Form_Load();
  form->Form_Activate();
}

void Harness::RunOrder() {
  Open();
  form->cmdStart_Click();
  RunUntilIdle();
}

void Harness::CloseBox() {
  if (!form->Form_QueryUnload()) form->Form_Unload();
}

void Harness::Tick() {
  clock.Advance(timer.DueAt() - clock.ms());
  queue.Post([this] { timer.Fire(); });
  queue.RunPending();
}

void Harness::RunUntilIdle(int maxTicks) {
  for (int ticks = 0;;) {
    while (!queue.Empty()) queue.RunPending();
    if (!timer.Running() || ticks++ >= maxTicks) return;
    Tick();
  }
}

std::vector<std::string> Harness::Requests() const {
  std::vector<std::string> requests;
  for (const std::string& url : browser.requests) {
    const std::string base(kBase);
    requests.push_back(url.starts_with(base) ? url.substr(base.size()) : url);
  }
  return requests;
}

}  // namespace webaccess::testing
