#include "app/MainForm.h"
#include "files/InquiryFile.h"
#include "files/WorkFileNames.h"

namespace webaccess::app {

using ports::Answer;
using ports::Control;

namespace {
constexpr const char* kQuestionTitle = "QUESTION";
}  // namespace

void MainForm::Form_Activate() {
  Guarded([this] {
    // Only the first activation selects the main server: a later one (the
    // request list or the message window closing) keeps the user's choice,
    // which lblServer still names.
    if (!run_.FirstTime) return;
    globals_.ServerBase = settings_.servers.main.baseUrl;
    ConfirmOrder();
  });
}

void MainForm::ConfirmOrder() {
  run_.FirstTime = false;
  run_.PickUpOnly = false;
  SetText(Control::Caption, std::string(kDesignedCaption) + kVersion);
  run_.OrderCount = files::CountInquiries(files_.channels());
  if (run_.OrderCount == 0) run_.PickUpOnly = true;

  auto& dialogs = platform_.dialogs;
  if (run_.PickUpOnly) {
    if (dialogs.AskYesNo(kQuestionTitle, "NOTHING FLAGGED TO ORDER\r\nARE YOU JUST PICKING UP?") !=
        Answer::Yes) {
      EndAtOnce();
    }
    run_.PickUpOnly = true;
    SetText(Control::lblOrdering, "Just Picking Up");
    return;
  }

  // The number text has a leading blank where a minus sign would stand.
  std::string number(1, ' ');
  number += std::to_string(run_.OrderCount);
  const std::string question =
      run_.OrderCount == 1 ? std::string("THERE IS 1 RECORD BEING ORDERED, IS THIS CORRRECT?")
                           : "THERE ARE" + number + " RECORDS BEING ORDERED, IS THIS CORRRECT?";
  if (dialogs.AskYesNo(kQuestionTitle, question) == Answer::Yes) {
    std::string ordering = "Ordering " + number + " Record";
    if (run_.OrderCount > 1) ordering += 's';
    SetText(Control::lblOrdering, ordering);
    files_.channels().OpenInput(files::kInquiry, files::kInquiryFile,
                                files::LineReader::LineEnds::Any);
    return;
  }
  if (dialogs.AskYesNo(kQuestionTitle, "ARE YOU JUST PICKING UP?") != Answer::Yes) EndAtOnce();
  run_.PickUpOnly = true;
  run_.OrderCount = 0;
  SetText(Control::lblOrdering, "Just Picking Up");
}

void MainForm::cmdStart_Click() {
  Guarded([this] {
    SetEnabled(Control::cmdStart, false);
    globals_.ServerMessages.clear();
    platform_.browser.SetVisible(true);
    files_.ResetWorkFiles();
    // The caption changes before the logon goes out: its reply may end the
    // run inside the sending call, and the run's end sets "Exit".
    SetText(Control::cmdExit, "STOP");
    SendLogon();
  });
}

void MainForm::mnu_Pick_Up_Click() {
  Guarded([this] {
    run_.PickUpOnly = true;
    SetText(Control::lblOrdering, "Just Picking Up");
    run_.OrderCount = 0;
  });
}

}  // namespace webaccess::app
