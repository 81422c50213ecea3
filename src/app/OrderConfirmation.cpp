#include "BuildSettings.h"
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
    if (!firstTime_) return;
    conversation_.UseServer(settings_.servers.main.baseUrl);
    ConfirmOrder();
  });
}

void MainForm::ConfirmOrder() {
  firstTime_ = false;
  ports_.view.SetText(Control::Caption, std::string(kDesignedCaption) + build::kVersion);
  orderCount_ = files::CountInquiries(files_.channels());

  auto& dialogs = ports_.dialogs;
  if (orderCount_ == 0) {
    if (dialogs.AskYesNo(kQuestionTitle, "NOTHING FLAGGED TO ORDER\r\nARE YOU JUST PICKING UP?") !=
        Answer::Yes) {
      EndAtOnce(files_, ports_.process);
    }
    PickUpOnly();
    return;
  }

  // The number text has a leading blank where a minus sign would stand.
  std::string number(1, ' ');
  number += std::to_string(orderCount_);
  const std::string question =
      orderCount_ == 1 ? std::string("THERE IS 1 RECORD BEING ORDERED, IS THIS CORRRECT?")
                       : "THERE ARE" + number + " RECORDS BEING ORDERED, IS THIS CORRRECT?";
  if (dialogs.AskYesNo(kQuestionTitle, question) == Answer::Yes) {
    std::string ordering = "Ordering " + number + " Record";
    if (orderCount_ > 1) ordering += 's';
    ports_.view.SetText(Control::lblOrdering, ordering);
    files_.channels().OpenInput(files::kInquiry, files::kInquiryFile,
                                files::LineReader::LineEnds::Any);
    return;
  }
  if (dialogs.AskYesNo(kQuestionTitle, "ARE YOU JUST PICKING UP?") != Answer::Yes) {
    EndAtOnce(files_, ports_.process);
  }
  PickUpOnly();
}

}  // namespace webaccess::app
