#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/Conversation.h"
#include "app/MainForm.h"
#include "files/WorkFiles.h"
#include "support/FakePlatform.h"
#include "support/ScratchFiles.h"
#include "support/SimulatedServer.h"
#include "support/WorkFileText.h"

namespace webaccess::testing {

inline constexpr const char* kBase = "https://main.example.com/";
inline constexpr const char* kAltBase = "https://alternate.example.com/";
inline constexpr const char* kTestBase = "http://test.example.com/";
inline constexpr const char* kIpBase = "https://192.0.2.10/";
inline constexpr const char* kCommandLine = "1234567PASS,ABC123,PW12";

bool FileExists(const std::string& name);

// The test platform in a working directory of its own, with the simulated
// server behind its browser and its download.
class Rig : public FakePlatform {
 public:
  Rig();

  // Runs events and due timer ticks until nothing is pending, at most
  // `maxTicks` ticks.
  void RunUntilIdle(int maxTicks = 500);
  // Fires the wait timer once, moving virtual time to its tick.
  void Tick();

  // The requests made, each without the main server's base URL.
  std::vector<std::string> Requests() const;
  std::string Display() const { return view.Text(ports::Control::lblDisplay); }

  ScratchDirectory directory;
  SimulatedServer server{kBase};
};

// The conversation on its own, as the window drives it: laid out compact,
// with its browser's and its timer's events going to it, and nothing else
// of the window there.
class ConversationHarness : public Rig {
 public:
  explicit ConversationHarness(const std::string& commandLine = kCommandLine);

  // What the window does up to the conversation's Start: a fresh trace, the
  // work files reset, the order open on channel 7 when INQUIRY.QDK is there,
  // the main server chosen. Then Start.
  void Start();
  // Start, and run until nothing more happens.
  void RunOrder();
  // The program ends: its work files close.
  void CloseWorkFiles() { files.channels().CloseAllQuietly(); }

  files::WorkFiles files{clock};
  app::WindowLayout layout{view, screen, browser};
  app::Conversation conversation{platform, files, layout, 10000};
};

// The whole main window's logic (app::MainForm) on the test platform.
class Harness : public Rig {
 public:
  explicit Harness(std::string commandLine = kCommandLine);

  // Form_Load and the first activation.
  void Open();
  // Open, Start, and run until nothing more happens.
  void RunOrder();
  // The window's close box, as the toolkit runs it: the form may hold the
  // window open. Unloading the main window comes here too.
  void CloseBox();

  std::unique_ptr<app::MainForm> form;
};

}  // namespace webaccess::testing
