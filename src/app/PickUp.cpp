#include <utility>

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
  if (result.ok) {
    // Only a stored download is progress: failed ones leave the wait
    // counting, so the ten-minute question comes after ten minutes of them.
    waitTicks_ = 0;
    return true;
  }
  if (result.certificateRefused) {
    CertificateRefused(result.error);
    return false;
  }

  // Nothing of a failed download is converted, and nothing is deleted on
  // the server: the next poll that finds the responses ready fetches them
  // again, unless the user is leaving.
  files_.WriteTrace("Download failed: " + result.error);
  if (PickUpEnded()) return false;
  SetText(Control::lblDisplay, "Download failed, will try again in 10 seconds.");
  SetEnabled(Control::txtURL, true);
  StartTimer();
  return false;
}

void Conversation::PickUpResponses() {
  if (Stopped()) return;
  Enter(Stage::PickingUp);
  files_.WriteTrace("Picking up Records");
  SetText(Control::lblDisplay, "Transfering responses, please wait...");
  if (!DownloadResponses()) return;
  if (files::ConvertDownload(files_, ports_.clock, credentials_.UserId.View(),
                             [this] { ports_.pump.ProcessPendingEvents(); })) {
    completedSeen_ = true;
  }
  pickUpPending_ = false;
  if (Stopped()) {
    PickUpEnded();
    return;
  }
  // The delete's reply, or its failure, ends the pick-up.
  NavigateServer("", protocol::kPageDelete, "", Stage::Deleting);
  SetEnabled(Control::txtURL, true);
}

bool Conversation::PickUpEnded() {
  if (stage_ == Stage::PickingUp || stage_ == Stage::Deleting) Enter(Stage::Waiting);
  const std::function<void()> close = std::exchange(close_, nullptr);
  if (!close) return false;
  close();
  return true;
}

}  // namespace webaccess::app
