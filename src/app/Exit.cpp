#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "app/MainForm.h"
#include "files/WorkFileError.h"
#include "files/WorkFileNames.h"
#include "os/FileSystem.h"

namespace webaccess::app {

void MainForm::cmdExit_Click() {
  Guarded([this] {
    if (platform_.dialogs.AskYesNo("Exit Question", "Are you sure you wish to exit?") !=
        platform::Answer::Yes) {
      return;
    }
    ConfirmedExit();
  });
}

void MainForm::ConfirmedExit() {
  Guarded([this] {
    // During a pick-up the exit waits until its responses are stored and
    // its delete request is answered: it then goes on from here.
    if (HoldForPickUp(Leaving::Exit)) return;
    // Up to the unload, a step that fails is skipped and the next one runs:
    // the browser's quit and the window report nothing, and a missing or
    // locked inquiry file stays as it is.
    platform_.browser.Quit();
    std::remove(files::kInquiryFile);
    if (!globals_.ServerMessages.empty()) {
      platform_.dialogs.ShowServerMessage(globals_.ServerMessages +
                                          "\r\n\r\nPress exit to continue.");
    }
    platform_.process.UnloadMainWindow();
  });
}

bool MainForm::Form_QueryUnload() { return HoldForPickUp(Leaving::Close); }

void MainForm::Form_Unload() {
  unloaded_ = true;
  platform_.timer.SetInterval(0);
  Guarded([this] {
    files::Channels& channels = files_.channels();
    channels.Close(files::kShortLived);
    // An empty response file is not left behind; a missing one stays missing.
    errno = 0;
    const std::int64_t size = os::FileSize(files::kResponseFile);
    if (size < 0) {
      if (errno == ENOENT) return;
      files::ThrowWorkFileError("open", files::kResponseFile);
    }
    if (size == 0 && std::remove(files::kResponseFile) != 0 && errno != ENOENT) {
      files::ThrowWorkFileError("delete", files::kResponseFile);
    }
  });
}

}  // namespace webaccess::app
