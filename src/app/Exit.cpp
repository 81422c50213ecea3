#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <utility>

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
    // During a pick-up the exit waits until its responses are stored and
    // its delete request is answered: it then goes on from here.
    if (HoldForPickUp(Leaving::Exit)) return;
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

bool MainForm::Form_QueryUnload() { return HoldForPickUp(Leaving::Close); }

bool MainForm::HoldForPickUp(Leaving asked) {
  if (!conversation_.HoldClose([this] { LeaveNow(); })) return false;
  // An Exit asked for at any point wins over a close: it also deletes the order.
  if (asked > leaving_) leaving_ = asked;
  ports_.view.SetText(ports::Control::lblDisplay, "Leaving once the pick-up has finished.");
  return true;
}

void MainForm::LeaveNow() {
  switch (std::exchange(leaving_, Leaving::No)) {
    case Leaving::No:
      break;
    case Leaving::Close:
      ports_.process.UnloadMainWindow();
      break;
    case Leaving::Exit:
      ConfirmedExit();
      break;
  }
}

void MainForm::Form_Unload() {
  unloaded_ = true;
  conversation_.WindowClosed();
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
