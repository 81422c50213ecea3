#include "ui/MainFormEvents.h"

#include "app/MainForm.h"

namespace webaccess::ui {

void MainFormEvents::Form_Activate() { form_.Form_Activate(); }
bool MainFormEvents::Form_QueryUnload() { return form_.Form_QueryUnload(); }
void MainFormEvents::Form_Unload() { form_.Form_Unload(); }
void MainFormEvents::cmdStart_Click() { form_.cmdStart_Click(); }
void MainFormEvents::cmdExit_Click() { form_.cmdExit_Click(); }
void MainFormEvents::mnu_Pick_Up_Click() { form_.mnu_Pick_Up_Click(); }
void MainFormEvents::mnuAlt_Click() { form_.mnuAlt_Click(); }
void MainFormEvents::mnuMain_Click() { form_.mnuMain_Click(); }
void MainFormEvents::mnuTestServer_Click() { form_.mnuTestServer_Click(); }
void MainFormEvents::mnuIP_Click() { form_.mnuIP_Click(); }

std::vector<std::string> MainFormEvents::RequestItems() { return form_.RequestItems(); }

}  // namespace webaccess::ui
