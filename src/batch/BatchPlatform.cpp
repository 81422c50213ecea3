#include "batch/BatchPlatform.h"

#include <vector>

#include "app/MainForm.h"
#include "batch/BatchOptions.h"
#include "platform/batch/Url.h"

namespace webaccess::batch {
namespace {

using ports::Control;

// The lines of a CR LF text.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return lines;
    start = end + 2;
  }
}

std::string OneLine(const std::string& text) {
  std::string joined;
  for (const std::string& line : Lines(text)) {
    if (!joined.empty()) joined += " / ";
    joined += line;
  }
  return joined;
}

}  // namespace

std::string MaskCredentials(std::string_view text) {
  const std::string lower = platform::batch::LowerAscii(text);
  std::string out(text);
  for (const std::string_view name : {"comppass=", "userpass="}) {
    for (std::size_t at = lower.find(name); at != std::string::npos;
         at = lower.find(name, at + 1)) {
      const std::size_t from = at + name.size();
      std::size_t to = lower.find('&', from);
      if (to == std::string::npos) to = lower.size();
      for (std::size_t i = from; i < to; ++i) out[i] = '*';
    }
  }
  return out;
}

void TerminalView::SetText(Control control, const std::string& text) {
  const char* label = nullptr;
  switch (control) {
    case Control::lblDisplay:
      label = "Status";
      break;
    case Control::lblOrdering:
      label = "Ordering";
      break;
    case Control::lblServer:
      label = "Server";
      break;
    default:
      return;
  }
  auto [it, inserted] = texts_.try_emplace(control, text);
  if (!inserted) {
    if (it->second == text) return;
    it->second = text;
  }
  output_.Print(std::string(label) + ": " + text);
}

TerminalDialogs::TerminalDialogs(Output& output, bool allYes, std::deque<bool> answers,
                                 std::function<std::optional<long long>()> timeLeftMs,
                                 std::function<bool()> stopAsked)
    : output_(output),
      allYes_(allYes),
      answers_(std::move(answers)),
      timeLeftMs_(std::move(timeLeftMs)),
      stopAsked_(std::move(stopAsked)) {}

ports::Answer TerminalDialogs::AskYesNo(const std::string& title, const std::string& text) {
  output_.Print("[" + title + "] " + OneLine(text));
  bool yes = false;
  std::string how;
  if (allYes_) {
    yes = true;
    how = "--yes";
  } else if (!answers_.empty()) {
    yes = answers_.front();
    answers_.pop_front();
    how = "--answers";
  } else if (output_.terminal().CanAsk()) {
    switch (output_.terminal().Ask("Yes or No? ", timeLeftMs_())) {
      case Terminal::Reply::Yes:
        yes = true;
        break;
      case Terminal::Reply::TimeUp:
        throw TimeLimitReached{};
      case Terminal::Reply::No:
      case Terminal::Reply::NoInput:
        break;
    }
    how = "terminal";
  } else {
    how = "no terminal to ask";
  }
  // Neither answer stops: No to "RECORDS FOUND" gives the responses up. The
  // run ends here, as the window's close does, before the answer acts.
  if (stopAsked_ && stopAsked_()) {
    output_.Print("  -> not answered (stopping)");
    throw StopAsked{};
  }
  output_.Print(std::string("  -> ") + (yes ? "Yes" : "No") + " (" + how + ")");
  if (!yes && title == app::kWaitQuestionTitle) stoppedWaiting_ = true;
  return yes ? ports::Answer::Yes : ports::Answer::No;
}

void TerminalDialogs::ShowCritical(const std::string& title, const std::string& text) {
  output_.Print("[" + title + "] " + OneLine(text));
}

void TerminalDialogs::ShowServerMessage(const std::string& text) {
  output_.Print("[Message From Vantorel]");
  for (const std::string& line : Lines(text)) output_.Print("  " + line);
}

void BatchProcess::EndAtOnce() {
  throw ProgramEnd{runStarted_() ? kServerErrorCode : kEndedByAnswers};
}

void BatchProcess::Fail(const std::string& report) {
  output_.Report("webaccess-batch: " + report);
  throw ProgramEnd{kWorkFileFailure};
}

}  // namespace webaccess::batch
