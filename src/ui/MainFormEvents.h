#pragma once

#include "ui/WindowEvents.h"

namespace webaccess::app {
class MainForm;
}

namespace webaccess::ui {

// Passes the main window's events to the main window's logic.
class MainFormEvents final : public WindowEvents {
 public:
  explicit MainFormEvents(app::MainForm& form) : form_(form) {}

  void Form_Activate() override;
  bool Form_QueryUnload() override;
  void Form_Unload() override;
  void cmdStart_Click() override;
  void cmdExit_Click() override;
  void mnu_Pick_Up_Click() override;
  void mnuAlt_Click() override;
  void mnuMain_Click() override;
  void mnuTestServer_Click() override;
  void mnuIP_Click() override;
  // The items of INQUIRY.QDK, read on channel 1; none when the file is
  // missing or cannot be read.
  std::vector<std::string> RequestItems() override;

 private:
  app::MainForm& form_;
};

}  // namespace webaccess::ui
