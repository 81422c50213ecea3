#include "app/MainForm.h"
#include "files/InquiryFile.h"
#include "protocol/PageUrl.h"

namespace webaccess::app {

using platform::Control;
using protocol::EncodeQueryValue;

namespace {

constexpr std::int16_t kBatchLimit = 10;

bool IsBlankOnly(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

std::string BatchIdFrom(const platform::LocalTime& time) {
  std::string id;
  for (const int part : {time.hour, time.minute, time.second}) {
    id += static_cast<char>('0' + (part / 10) % 10);
    id += static_cast<char>('0' + part % 10);
  }
  return id;
}

}  // namespace

void MainForm::SendLogon() {
  if (IsBlankOnly(globals_.CompanyNumber.View())) {
    SetText(Control::lblDisplay, "");
    ArrangeLayout(Layout::Expanded);
    SetEnabled(Control::cmdStart, false);
    platform_.browser.SetVisible(true);
    NavigateServer("", protocol::kPageBegin, "");
    return;
  }
  const std::string credentials = "&Company=" + EncodeQueryValue(globals_.CompanyNumber.View()) +
                                  "&CompPass=" + EncodeQueryValue(globals_.CompanyPassword.View()) +
                                  "&User=" + EncodeQueryValue(globals_.UserId.View()) +
                                  "&UserPass=" + EncodeQueryValue(globals_.UserPassword.View());
  SetText(Control::lblDisplay, "");
  files_.WriteTrace("Logging on to Server with Company Number/User Id");
  SetEnabled(Control::cmdStart, false);
  platform_.browser.SetVisible(true);
  NavigateServer("", protocol::kPageBegin, credentials);
}

void MainForm::SendNextRecord() {
  run_.WaitTicks = 0;
  if (run_.PickUpOnly) {
    run_.InquiriesDone = true;
    SetText(Control::lblDisplay, "Requesting records waiting to be picked up, please wait");
    NavigateServer("DONE", protocol::kPageMain, "&Batch=PICKUP");
    platform_.timer.SetInterval(settings_.waitIntervalMs);
    ArrangeLayout(Layout::Compact);
    return;
  }

  Increment(run_.BatchCount);
  if (run_.BatchCount == 1) run_.BatchId = BatchIdFrom(platform_.clock.Now());
  files::LineReader* inquiry = files_.channels().Input(files::kInquiry);
  if (inquiry == nullptr || inquiry->AtEnd()) run_.InquiriesDone = true;
  if (run_.InquiriesDone || run_.BatchCount > kBatchLimit) {
    SendBatchDone();
    return;
  }

  std::string record;
  if (!files::ReadNextRecord(*inquiry, record)) {
    run_.InquiriesDone = true;
    SendBatchDone();
    return;
  }
  const std::string extra =
      "&TheRecord=" + EncodeQueryValue(run_.BatchId) + "!" + EncodeQueryValue(record);
  const std::size_t length =
      protocol::EscapeUrlBytes(
          protocol::BuildPageUrl(globals_.ServerBase, protocol::kPageMain, "REQ", extra))
          .size();
  if (length > protocol::kLongestUrl) {
    // Neither the browser nor the HTTP library could send it: the run
    // cannot go on, and the record stays in the order.
    RequestCannotGoOn(protocol::kPageMain, "the request is too long to send (record " +
                                               std::to_string(run_.RecordsSent + 1) + ", " +
                                               std::to_string(length) + " bytes)");
    return;
  }
  Increment(run_.RecordsSent);
  const std::string number = std::to_string(run_.RecordsSent);
  files_.WriteTrace("Sending Record " + number);
  SetText(Control::lblDisplay, "Requesting Record " + number);
  SetText(Control::Caption, "Requesting Record " + number);
  NavigateServer("REQ", protocol::kPageMain, extra);
}

void MainForm::SendBatchDone() {
  SetText(Control::lblDisplay,
          std::to_string(run_.BatchCount - 1) + " Records requested, please wait");
  run_.BatchCount = 0;
  NavigateServer("DONE", protocol::kPageMain, "&Batch=" + EncodeQueryValue(run_.BatchId));
  platform_.timer.SetInterval(settings_.waitIntervalMs);
}

void MainForm::RequestCount() {
  SetText(Control::lblDisplay, "Checking for response...");
  NavigateServer("", protocol::kPageCount, "");
}

}  // namespace webaccess::app
