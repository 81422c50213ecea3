#include <exception>

#include "app/MainForm.h"
#include "files/ConvertDownload.h"
#include "files/WorkFileNames.h"
#include "protocol/PageUrl.h"

namespace webaccess::app {

using platform::Control;

bool MainForm::DownloadResponses() {
  const std::string url = protocol::DownloadUrl(globals_.ServerBase, globals_.CompanyNumber.View(),
                                                globals_.UserId.View());
  files::Channels& channels = files_.channels();
  channels.Close(files::kShortLived);
  files::DeleteIfPresent(channels, files::kDownloadFile);
  files::OutputFile& down = channels.OpenOutput(files::kShortLived, files::kDownloadFile,
                                                files::OutputFile::Mode::Create);
  // The bytes go to DOWN.TXT as they arrive. A failed write stops the
  // transfer and is reported once the transfer has returned.
  std::exception_ptr writeFailure;
  const platform::TransferResult result =
      platform_.transfer.Download(url, [&](const char* data, std::size_t size) {
        try {
          down.Write(std::string_view(data, size));
          return true;
        } catch (...) {
          writeFailure = std::current_exception();
          return false;
        }
      });
  if (writeFailure) std::rethrow_exception(writeFailure);
  if (result.ok) return true;

  // Nothing of a failed download is converted, and nothing is deleted on
  // the server: the next poll that finds the responses ready fetches them again.
  channels.Close(files::kShortLived);
  files_.WriteTrace("Download failed: " + result.error);
  SetText(Control::lblDisplay, "Download failed, will try again in 10 seconds.");
  SetEnabled(Control::txtURL, true);
  platform_.timer.SetInterval(settings_.waitIntervalMs);
  return false;
}

void MainForm::PickUpResponses() {
  files_.WriteTrace("Picking up Records");
  SetText(Control::lblDisplay, "Transfering responses, please wait...");
  if (!DownloadResponses()) return;
  if (files::ConvertDownload(files_, platform_.clock, globals_.UserId.View(),
                             [this] { platform_.pump.ProcessPendingEvents(); })) {
    globals_.CompletedSeen = true;
  }
  run_.PickUpPending = false;
  DeleteRequest();
  SetEnabled(Control::txtURL, true);
}

}  // namespace webaccess::app
