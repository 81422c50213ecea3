#include "support/Harness.h"

#include <filesystem>

#include "app/CommandLine.h"
#include "files/WorkFileNames.h"

namespace webaccess::testing {

bool FileExists(const std::string& name) { return std::filesystem::exists(name); }

Rig::Rig() {
  browser.responder = [this](const std::string& url) { return server.Navigate(url); };
  transfer.source = [this](const std::string& url, std::string& bytes) {
    return server.Download(url, bytes);
  };
}

void Rig::Tick() {
  clock.Advance(timer.DueAt() - clock.ms());
  queue.Post([this] { timer.Fire(); });
  queue.RunPending();
}

void Rig::RunUntilIdle(int maxTicks) {
  for (int ticks = 0;;) {
    while (!queue.Empty()) queue.RunPending();
    if (!timer.Running() || ticks++ >= maxTicks) return;
    Tick();
  }
}

std::vector<std::string> Rig::Requests() const {
  std::vector<std::string> requests;
  for (const std::string& url : browser.requests) {
    const std::string base(kBase);
    requests.push_back(url.starts_with(base) ? url.substr(base.size()) : url);
  }
  return requests;
}

ConversationHarness::ConversationHarness(const std::string& commandLine) {
  app::Credentials credentials;
  app::TakeCredentials(commandLine, credentials);
  conversation.UseCredentials(credentials);
  browser.SetHandlers([this](const std::string& url) { conversation.ReplyArrived(url); },
                      [this](const std::string& url, const std::string& why) {
                        conversation.RequestFailed(url, why);
                      },
                      [this](const std::string& why) { conversation.CertificateRefused(why); });
  timer.SetTickHandler([this] { conversation.TimerTicked(); });
  layout.Arrange(app::Layout::Compact);
}

void ConversationHarness::Start() {
  files.StartTrace();
  files.ResetWorkFiles();
  if (FileExists(files::kInquiryFile)) {
    files.channels().OpenInput(files::kInquiry, files::kInquiryFile,
                               files::LineReader::LineEnds::Any);
  }
  conversation.UseServer(kBase);
  conversation.Start();
}

void ConversationHarness::RunOrder() {
  Start();
  RunUntilIdle();
}

Harness::Harness(std::string commandLine) {
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

}  // namespace webaccess::testing
