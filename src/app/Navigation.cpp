#include "app/MainForm.h"
#include "protocol/PageUrl.h"

namespace webaccess::app {

using platform::Control;

void MainForm::NavigateServer(std::string_view action, std::string_view page,
                              std::string_view extra) {
  // Nothing goes to a server whose certificate was refused, nor once the
  // main window is gone.
  if (RunStopped()) return;
  SetReplyText("");
  SetEnabled(Control::txtURL, true);
  platform_.browser.Navigate(protocol::BuildPageUrl(globals_.ServerBase, page, action, extra));
  platform_.pump.ProcessPendingEvents();
}

void MainForm::SelectServer(const protocol::Server& server) {
  platform_.browser.SetVisible(true);
  globals_.ServerBase = server.baseUrl;
  SetText(Control::lblServer, server.label);
}

void MainForm::mnuMain_Click() {
  Guarded([this] { SelectServer(settings_.servers.main); });
}

void MainForm::mnuAlt_Click() {
  Guarded([this] { SelectServer(settings_.servers.alternate); });
}

void MainForm::mnuTestServer_Click() {
  Guarded([this] { SelectServer(settings_.servers.test); });
}

void MainForm::mnuIP_Click() {
  Guarded([this] { SelectServer(settings_.servers.ip); });
}

}  // namespace webaccess::app
