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
    if (ports_.dialogs.AskYesNo("Exit Question", "Are you sure you wish to exit?") !=
        ports::Answer::Yes) {
      return;
    }
    ConfirmedExit();
  });
}

void MainForm::ConfirmedExit() {
  Guarded([this] {
    // Up to the unload, a step that fails is skipped and the next one runs:
    // the browser's quit and the window report nothing, and a missing or
    // locked inquiry file stays as it is.
    ports_.browser.Quit();
    std::remove(files::kInquiryFile);
    const std::string& messages = conversation_.ServerMessages();
    if (!messages.empty()) {
      ports_.dialogs.ShowServerMessage(messages + "\r\n\r\nPress exit to continue.");
    }
    ports_.process.UnloadMainWindow();
  });
}

void MainForm::Form_Unload() {
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
