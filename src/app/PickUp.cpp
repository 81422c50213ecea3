#include "app/Conversation.h"
#include "files/ConvertDownload.h"
#include "files/StoreDownload.h"
#include "protocol/PageUrl.h"

namespace webaccess::app {

using ports::Control;

bool Conversation::DownloadResponses() {
  const std::string url = protocol::DownloadUrl(serverBase_, credentials_.CompanyNumber.View(),
                                                credentials_.UserId.View());
  const ports::TransferResult result =
      files::StoreDownload(files_.channels(), ports_.transfer, url);
  if (result.ok) return true;

  // Nothing of a failed download is converted, and nothing is deleted on
  // the server: the next poll that finds the responses ready fetches them again.
  files_.WriteTrace("Download failed: " + result.error);
  SetText(Control::lblDisplay, "Download failed, will try again in 10 seconds.");
  SetEnabled(Control::txtURL, true);
  Enter(Stage::Waiting);
  StartTimer();
  return false;
}

void Conversation::PickUpResponses() {
  Enter(Stage::PickingUp);
  files_.WriteTrace("Picking up Records");
  SetText(Control::lblDisplay, "Transfering responses, please wait...");
  if (!DownloadResponses()) return;
  if (files::ConvertDownload(files_, ports_.clock, credentials_.UserId.View(),
                             [this] { ports_.pump.ProcessPendingEvents(); })) {
    completedSeen_ = true;
  }
  pickUpPending_ = false;
  DeleteRequest();
  SetEnabled(Control::txtURL, true);
}

}  // namespace webaccess::app
