#include <utility>

#include "app/MainForm.h"
#include "files/ConvertDownload.h"
#include "files/StoreDownload.h"
#include "protocol/PageUrl.h"

namespace webaccess::app {

using platform::Control;

namespace {
constexpr const char* kLeavingText = "Leaving once the pick-up has finished.";
}  // namespace

bool MainForm::DownloadResponses() {
  const std::string url = protocol::DownloadUrl(globals_.ServerBase, globals_.CompanyNumber.View(),
                                                globals_.UserId.View());
  const platform::TransferResult result =
      files::StoreDownload(files_.channels(), platform_.transfer, url);
  if (result.ok) {
    // Only a stored download is progress: failed ones leave the wait
    // counting, so the ten-minute question comes after ten minutes of them.
    run_.WaitTicks = 0;
    return true;
  }
  if (result.certificateRefused) {
    StopForRefusedCertificate(result.error);
    return false;
  }

  // Nothing of a failed download is converted, and nothing is deleted on
  // the server: the next poll that finds the responses ready fetches them
  // again, unless the user is leaving.
  files_.WriteTrace("Download failed: " + result.error);
  if (PickUpEnded()) return false;
  SetText(Control::lblDisplay, "Download failed, will try again in 10 seconds.");
  SetEnabled(Control::txtURL, true);
  platform_.timer.SetInterval(settings_.waitIntervalMs);
  return false;
}

void MainForm::PickUpResponses() {
  if (RunStopped()) return;
  pickUp_ = PickUp::Storing;
  files_.WriteTrace("Picking up Records");
  SetText(Control::lblDisplay, "Transfering responses, please wait...");
  if (!DownloadResponses()) return;
  if (files::ConvertDownload(files_, platform_.clock, globals_.UserId.View(),
                             [this] { platform_.pump.ProcessPendingEvents(); })) {
    globals_.CompletedSeen = true;
  }
  run_.PickUpPending = false;
  pickUp_ = PickUp::Deleting;
  DeleteRequest();
  SetEnabled(Control::txtURL, true);
}

bool MainForm::HoldForPickUp(Leaving asked) {
  if (pickUp_ == PickUp::None) return false;
  // An Exit asked for at any point wins over a close: it also deletes the order.
  if (asked > leaving_) leaving_ = asked;
  SetText(Control::lblDisplay, kLeavingText);
  return true;
}

bool MainForm::PickUpEnded() {
  pickUp_ = PickUp::None;
  switch (std::exchange(leaving_, Leaving::No)) {
    case Leaving::No:
      return false;
    case Leaving::Close:
      platform_.process.UnloadMainWindow();
      return true;
    case Leaving::Exit:
      ConfirmedExit();
      return true;
  }
  return false;
}

}  // namespace webaccess::app
