#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "support/FakePlatform.h"
#include "support/ScratchFiles.h"
#include "support/ScriptedServer.h"

namespace webaccess::testing {

inline constexpr const char* kBase = "https://main.example.com/";
inline constexpr const char* kAltBase = "https://alternate.example.com/";
inline constexpr const char* kTestBase = "http://test.example.com/";
inline constexpr const char* kIpBase = "https://192.0.2.10/";

bool FileExists(const std::string& name);
// n inquiry lines of `length` characters, each different, CR LF ended.
std::string InquiryLines(int n, std::size_t length = 60, int firstNumber = 1);
// The inquiry record with running number `number`.
std::string InquiryRecord(int number, std::size_t length = 60);

// The whole client on the test platform, in its own working directory, with
// the scripted server answering its navigations and downloads.
class Harness : public FakePlatform {
 public:
  explicit Harness(std::string commandLine = "1234567PASS,ABC123,PW12");

  // Form_Load and the first activation.
  void Open();
  // Open, Start, and run until nothing more happens.
  void RunOrder();
  // Runs events and due timer ticks until nothing is pending, at most
  // `maxTicks` ticks.
  void RunUntilIdle(int maxTicks = 500);
  // Fires the wait timer once, moving virtual time to its tick.
  void Tick();
  // The window's close box, as the toolkit runs it: the form may hold the
  // window open. Unloading the main window comes here too.
  void CloseBox();

  // The requests made, each without the base URL.
  std::vector<std::string> Requests() const;
  std::string Display() const { return view.Text(ports::Control::lblDisplay); }

  ScratchDirectory directory;
  ScriptedServer server{kBase};
  std::unique_ptr<app::MainForm> form;
};

}  // namespace webaccess::testing
