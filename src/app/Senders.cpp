#include "app/Conversation.h"
#include "files/InquiryFile.h"
#include "protocol/PageUrl.h"

namespace webaccess::app {

using ports::Control;
using protocol::EncodeQueryValue;

namespace {

constexpr std::int16_t kBatchLimit = 10;

bool IsBlankOnly(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

std::string BatchIdFrom(const ports::LocalTime& time) {
  std::string id;
  for (const int part : {time.hour, time.minute, time.second}) {
    id += static_cast<char>('0' + (part / 10) % 10);
    id += static_cast<char>('0' + part % 10);
  }
  return id;
}

}  // namespace

void Conversation::SendLogon() {
  if (IsBlankOnly(credentials_.CompanyNumber.View())) {
    SetText(Control::lblDisplay, "");
    layout_.Arrange(Layout::Expanded);
    SetEnabled(Control::cmdStart, false);
    ports_.browser.SetVisible(true);
    NavigateServer("", protocol::kPageBegin, "");
    return;
  }
  const std::string logon = "&Company=" + EncodeQueryValue(credentials_.CompanyNumber.View()) +
                            "&CompPass=" + EncodeQueryValue(credentials_.CompanyPassword.View()) +
                            "&User=" + EncodeQueryValue(credentials_.UserId.View()) +
                            "&UserPass=" + EncodeQueryValue(credentials_.UserPassword.View());
  SetText(Control::lblDisplay, "");
  files_.WriteTrace("Logging on to Server with Company Number/User Id");
  SetEnabled(Control::cmdStart, false);
  ports_.browser.SetVisible(true);
  NavigateServer("", protocol::kPageBegin, logon);
}

void Conversation::SendNextRecord() {
  waitTicks_ = 0;
  if (pickUpOnly_) {
    inquiriesDone_ = true;
    SetText(Control::lblDisplay, "Requesting records waiting to be picked up, please wait");
    NavigateServer("DONE", protocol::kPageMain, "&Batch=PICKUP");
    StartTimer();
    layout_.Arrange(Layout::Compact);
    return;
  }

  Increment(batchCount_);
  if (batchCount_ == 1) batchId_ = BatchIdFrom(ports_.clock.Now());
  files::LineReader* inquiry = files_.channels().Input(files::kInquiry);
  if (inquiry == nullptr || inquiry->AtEnd()) inquiriesDone_ = true;
  if (inquiriesDone_ || batchCount_ > kBatchLimit) {
    SendBatchDone();
    return;
  }

  std::string record;
  if (!files::ReadNextRecord(*inquiry, record)) {
    inquiriesDone_ = true;
    SendBatchDone();
    return;
  }
  const std::string extra =
      "&TheRecord=" + EncodeQueryValue(batchId_) + "!" + EncodeQueryValue(record);
  const std::size_t length =
      protocol::WireLength(protocol::BuildPageUrl(serverBase_, protocol::kPageMain, "REQ", extra));
  if (length > protocol::kLongestUrl) {
    // Neither the browser nor the HTTP library could send it: the run
    // cannot go on, and the record stays in the order.
    CannotGoOn(std::string("Page request ") + protocol::kPageMain +
               " failed: the request is too long to send (record " +
               std::to_string(recordsSent_ + 1) + ", " + std::to_string(length) + " bytes)");
    return;
  }
  Increment(recordsSent_);
  const std::string number = std::to_string(recordsSent_);
  files_.WriteTrace("Sending Record " + number);
  SetText(Control::lblDisplay, "Requesting Record " + number);
  SetText(Control::Caption, "Requesting Record " + number);
  NavigateServer("REQ", protocol::kPageMain, extra);
}

void Conversation::SendBatchDone() {
  SetText(Control::lblDisplay, std::to_string(batchCount_ - 1) + " Records requested, please wait");
  batchCount_ = 0;
  NavigateServer("DONE", protocol::kPageMain, "&Batch=" + EncodeQueryValue(batchId_));
  StartTimer();
}

void Conversation::RequestCount() {
  SetText(Control::lblDisplay, "Checking for response...");
  NavigateServer("", protocol::kPageCount, "");
}

void Conversation::MessageCheck() { NavigateServer("", protocol::kPageMessage, ""); }

void Conversation::DeleteRequest() { NavigateServer("", protocol::kPageDelete, ""); }

}  // namespace webaccess::app
