#pragma once

#include <string>
#include <vector>

namespace webaccess::ui {

// What the main window passes on, under the handlers' names: its own events,
// and the inquiry file's items for the request list. The window decides
// nothing itself.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;

  virtual void Form_Activate() = 0;
  // True holds the window open: the logic will close it itself later.
  virtual bool Form_QueryUnload() = 0;
  virtual void Form_Unload() = 0;
  virtual void cmdStart_Click() = 0;
  virtual void cmdExit_Click() = 0;
  virtual void mnu_Pick_Up_Click() = 0;
  virtual void mnuAlt_Click() = 0;
  virtual void mnuMain_Click() = 0;
  virtual void mnuTestServer_Click() = 0;
  virtual void mnuIP_Click() = 0;
  virtual std::vector<std::string> RequestItems() = 0;
};

}  // namespace webaccess::ui
