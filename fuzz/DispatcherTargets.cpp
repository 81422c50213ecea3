// The conversation targets: the reply dispatcher, the reply parser with the
// reply text helpers, and the credentials from the command line.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <utility>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "files/WorkFileNames.h"
#include "protocol/PageUrl.h"
#include "protocol/Reply.h"
#include "support/FakePlatform.h"

namespace webaccess::fuzz {
namespace {

using testing::ProgramEnded;
using testing::ProgramFailed;

// The main window's logic on the test platform. A navigation completes only
// when the input says where it ended; a download hands over `nextBody`, or
// fails once after `failNext`.
struct FormOnFakes : testing::FakePlatform {
  explicit FormOnFakes(std::string commandLine)
      : form(platform, protocol::Settings{protocol::BuiltInServers()}, std::move(commandLine)) {
    transfer.source = [this](const std::string&, std::string& bytes) -> ports::TransferResult {
      if (std::exchange(failNext, false)) return {false, "connection reset"};
      bytes = nextBody;
      return {true, {}};
    };
  }

  std::string nextBody;
  bool failNext = false;
  app::MainForm form;
};

bool Holds(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

constexpr std::string_view kCommandLine = "1234567ABCD,ABC123,PASS01";
constexpr std::array<std::string_view, 5> kPages = {"V7Begin", "V7Main", "V7Count", "V7Delete",
                                                    "V7Message"};

// What every request must look like: a base URL of the server table, the
// page, ".asp?ACTION=", and nothing that is not a printable character.
void CheckRequestUrl(const std::string& url, const protocol::ServerTable& servers) {
  bool known = false;
  for (const protocol::Server* server :
       {&servers.main, &servers.alternate, &servers.test, &servers.ip}) {
    if (!url.starts_with(server->baseUrl + "Zq3/")) continue;
    const std::string_view rest = std::string_view(url).substr(server->baseUrl.size() + 4);
    for (const std::string_view page : kPages) {
      if (rest.starts_with(page) && rest.substr(page.size()).starts_with(".asp?ACTION=")) {
        known = true;
      }
    }
  }
  Check(known, "a request goes to no page of the selected server");
  Check(std::all_of(url.begin(), url.end(), [](char c) { return c >= 0x20 && c <= 0x7E; }),
        "a request URL carries a control or non-ASCII byte");
  // A record must not smuggle parameters of its own into its request.
  const std::size_t record = url.find("&TheRecord=");
  if (record != std::string::npos) {
    const std::string_view value = std::string_view(url).substr(record + 11);
    Check(!Holds(value, "&") && !Holds(value, "#"), "a record's text adds to the query");
  }
}

// "A|B|C" as CR LF lines: the inquiry file of a dispatcher input.
std::string InquiryFileFrom(std::string_view records) {
  std::string file;
  for (const char c : records) {
    if (c == '|') {
      file += "\r\n";
    } else {
      file += c;
    }
  }
  if (!records.empty()) file += "\r\n";
  return file;
}

// A download body from an input line: '~' stands for CR LF, '^' for LF.
std::string DownloadFrom(std::string_view line) {
  std::string body;
  for (const char c : line) {
    if (c == '~') {
      body += "\r\n";
    } else if (c == '^') {
      body += '\n';
    } else {
      body += c;
    }
  }
  return body;
}

// Runs one event of a dispatcher input; false when the program has ended.
bool RunEvent(FormOnFakes& fakes, std::string_view line) {
  app::MainForm& form = fakes.form;
  const char op = line.empty() ? '\0' : line.front();
  const std::string_view rest = line.empty() ? line : line.substr(1);
  switch (op) {
    case 'T':
      // The timer ticks only while it runs.
      if (fakes.timer.Interval() != 0) fakes.timer.Fire();
      return true;
    case 'A':
      for (const char c : rest) {
        fakes.dialogs.answers.push_back(c == 'Y' ? ports::Answer::Yes : ports::Answer::No);
      }
      return true;
    case 'D':
      fakes.nextBody = DownloadFrom(rest);
      return true;
    case 'F':
      fakes.failNext = true;
      return true;
    case 'M':
      switch (rest.empty() ? '0' : rest.front()) {
        case '1':
          form.mnuAlt_Click();
          break;
        case '2':
          form.mnuTestServer_Click();
          break;
        case '3':
          form.mnuIP_Click();
          break;
        case '4':
          form.mnu_Pick_Up_Click();
          break;
        default:
          form.mnuMain_Click();
      }
      return true;
    case 'L':
      form.Form_Activate();
      return true;
    case 'X':
      form.cmdExit_Click();
      if (!fakes.process.unloaded) return true;
      form.Form_Unload();
      return false;
    default:
      // Anything else is where a navigation ended.
      fakes.browser.Complete(std::string(line));
      return true;
  }
}

// What the client has sent so far, as the fuzz input's events saw it.
struct Sent {
  int records = 0;
};

void CheckAfterEvent(FormOnFakes& fakes, std::size_t navigationsBefore, Sent& sent) {
  const std::vector<std::string>& navigations = fakes.browser.requests;
  const std::size_t requests = navigations.size() - navigationsBefore;
  Check(requests <= 1, "one event sent more than one request");
  const protocol::ServerTable servers = protocol::BuiltInServers();
  for (std::size_t i = navigationsBefore; i < navigations.size(); ++i) {
    const std::string& url = navigations[i];
    CheckRequestUrl(url, servers);
    if (Holds(url, "ACTION=REQ")) {
      // The running number of the records stops at the largest 16-bit value.
      if (sent.records < INT16_MAX) ++sent.records;
      Check(fakes.view.Text(ports::Control::Caption) ==
                "Requesting Record " + std::to_string(sent.records),
            "the record's number does not count the records sent");
    }
    if (Holds(url, "ACTION=DONE&Batch=") && !Holds(url, "Batch=PICKUP")) {
      // The label counts the records of the batch: ten at most.
      const std::string label = fakes.view.Text(ports::Control::lblDisplay);
      const std::size_t blank = label.find(' ');
      const int count = std::atoi(label.substr(0, blank).c_str());
      Check(label.ends_with(" Records requested, please wait") && count >= -1 && count <= 10,
            "a batch ended with more than ten records, or fewer than none");
    }
  }
  if (requests > 0) {
    Check(fakes.view.Text(ports::Control::txtURL).empty(),
          "the reply field was not cleared for the request");
  }
  // The response file is named by the company number and the user id at
  // their full widths: 13 characters, whatever the logon stored.
  for (const std::string& url : fakes.transfer.urls) {
    const std::size_t name = url.find("Zq3/_ffffs/");
    Check(name != std::string::npos && url.size() == name + 11 + 13 + 4 && url.ends_with(".TXT"),
          "the response file's name is not 7 + 6 characters and .TXT");
  }
  fakes.transfer.urls.clear();
  const int interval = fakes.timer.Interval();
  Check(interval == 0 || interval == protocol::Settings{}.waitIntervalMs,
        "the poll timer runs at an interval of its own");
}

}  // namespace

void FuzzReplyDispatcher(const std::uint8_t* data, std::size_t size) {
  RemoveWorkingFiles();
  InputReader in(data, size);
  const std::string_view setup = in.Line();
  const std::uint8_t options = setup.empty() ? 0 : static_cast<std::uint8_t>(setup.front());
  WriteFile(files::kInquiryFile, InquiryFileFrom(in.Line()));

  FormOnFakes fakes((options & 1) != 0 ? "" : std::string(kCommandLine));
  // The answers to the order's questions.
  if ((options & 2) != 0) fakes.dialogs.answers.push_back(ports::Answer::No);
  if ((options & 4) != 0) fakes.dialogs.answers.push_back(ports::Answer::No);
  try {
    fakes.form.Form_Load();
    fakes.form.Form_Activate();
    fakes.form.cmdStart_Click();
    Sent sent;
    while (!in.AtEnd()) {
      const std::size_t navigationsBefore = fakes.browser.requests.size();
      const bool goesOn = RunEvent(fakes, in.Line());
      CheckAfterEvent(fakes, navigationsBefore, sent);
      if (!goesOn) break;
      // Only the requests of the latest event are looked at.
      if (fakes.browser.requests.size() > 64) fakes.browser.requests.clear();
    }
  } catch (const ProgramEnded&) {
    // A server code or a refused order ends the program at once.
  } catch (const ProgramFailed& failed) {
    throw InvariantBroken("a work file failed in a healthy directory: " + failed.report);
  }
}

void FuzzReplyParse(const std::uint8_t* data, std::size_t size) {
  const std::string_view url = AsText(data, size);

  // Normalising: blanks trimmed, upper case, nothing else changed.
  const std::string reply = protocol::NormaliseReply(url);
  Check(reply.empty() || (reply.front() != ' ' && reply.back() != ' '),
        "the reply keeps blanks at an end");
  Check(std::none_of(reply.begin(), reply.end(), [](char c) { return c >= 'a' && c <= 'z'; }),
        "the reply keeps a lower-case letter");
  Check(reply.size() <= url.size(), "normalising made the reply longer");

  // Decoding escaped blanks.
  for (const std::string_view text : {url, std::string_view(reply)}) {
    const std::string decoded = protocol::DecodeSpaces(text);
    Check(decoded.size() <= text.size(), "DecodeSpaces made the text longer");
    const std::size_t shorter = text.size() - decoded.size();
    Check(shorter % 2 == 0, "DecodeSpaces dropped a part of an escape");
    const auto blanks = [](std::string_view t) { return std::count(t.begin(), t.end(), ' '); };
    Check(blanks(decoded) - blanks(text) == static_cast<std::ptrdiff_t>(shorter / 2),
          "DecodeSpaces did not turn each escape into one blank");
    Check(!Holds(decoded, "%20"), "DecodeSpaces left an escape");
    Check(protocol::DecodeSpaces(decoded) == decoded, "DecodeSpaces of its own result changes it");
  }

  // The reply taken apart: every part is the text a plain reading of the
  // reply finds.
  const protocol::Reply parsed = protocol::ReadReply(url);
  Check((parsed.kind == protocol::ReplyKind::None) ==
            (reply.empty() || (!Holds(reply, "V7LOGINPASSWORD.ASP") &&
                               !Holds(reply, "V7LOGIN.ASP") && !Holds(reply, "ACTION=EXIT") &&
                               !Holds(reply, "ACTION=MSG") && !Holds(reply, "ACTION=TERMINAL") &&
                               !Holds(reply, "ACTION=NEXT") && !Holds(reply, "ACTION=LOGON") &&
                               !Holds(reply, "ACTION=COUNT") && !Holds(reply, "ACTION=DELETED"))),
        "a reply with a mark of its kind was read as none, or one without as some");
  const bool message = parsed.kind == protocol::ReplyKind::Message;
  const std::string read = message ? protocol::DecodeSpaces(reply) : reply;
  const std::optional<std::string_view> value =
      reply.empty() ? std::nullopt : protocol::ValueAfterReply(read);
  Check(parsed.value == (value ? std::optional<std::string>(*value) : std::nullopt),
        "the value is not the text behind the first REPLY=");
  const std::size_t bar = message && value ? value->find('|') : std::string_view::npos;
  Check(parsed.message == (bar == std::string_view::npos
                               ? std::nullopt
                               : std::optional<std::string>(value->substr(bar + 1))),
        "the message is not the text behind the value's first bar");
  const bool logon = parsed.kind == protocol::ReplyKind::Logon;
  Check(parsed.userId.has_value() == (logon && Holds(reply, "UID=")),
        "a user id was read where there is none, or none where there is one");
  if (parsed.userId) {
    Check(reply.ends_with("UID=" + *parsed.userId) && !Holds(parsed.companyNumber, "UID="),
          "the user id or the company number is cut at the wrong place");
  }
  Check(parsed.kind == protocol::ReplyKind::Message || parsed.kind == protocol::ReplyKind::Logon ||
            (!parsed.message && !parsed.userId),
        "a reply other than a message or a logon was given their parts");
}

void FuzzCredentials(const std::uint8_t* data, std::size_t size) {
  const std::string_view c = AsText(data, size);
  app::Credentials globals;
  globals.CompanyPassword.Store("PREV");
  app::TakeCredentials(c, globals);

  // The fields cut by position, as the command line's layout has them.
  const auto field = [](std::string_view value, std::size_t width) {
    std::string text(value.substr(0, std::min(width, value.size())));
    text.resize(width, ' ');
    return text;
  };
  const auto from = [](std::string_view text, std::size_t position) {
    return position < text.size() ? text.substr(position) : std::string_view{};
  };
  std::string company = field("", 7);
  std::string password = "PREV";
  std::string user = field("", 6);
  std::string userPassword = field("", 6);
  if (!c.empty()) {
    company = field(c, 7);
    password = field(from(c, 7), 4);
    const std::size_t comma = c.find(',');
    const std::string_view r = comma == std::string_view::npos ? c : from(c, comma + 1);
    user = field(r, 6);
    const std::size_t second = r.find(',');
    userPassword = field(second == std::string_view::npos ? r : from(r, second + 1), 6);
    if (userPassword[5] == ',') userPassword = field(userPassword.substr(0, 5), 6);
  }
  Check(globals.CompanyNumber.Value() == company, "the company number is not characters 1 to 7");
  Check(globals.CompanyPassword.Value() == password,
        "the company password is not characters 8 to 11");
  Check(globals.UserId.Value() == user,
        "the user id is not the six characters after the first comma");
  Check(globals.UserPassword.Value() == userPassword, "the user password is cut wrongly");

  // The same text as program arguments, split at NUL bytes, joined again.
  std::vector<std::string> parts{"webaccess"};
  std::string joined;
  std::size_t start = 0;
  for (;;) {
    const std::size_t nul = c.find('\0', start);
    parts.emplace_back(
        c.substr(start, nul == std::string_view::npos ? std::string_view::npos : nul - start));
    joined += (parts.size() > 2 ? " " : "") + parts.back();
    if (nul == std::string_view::npos) break;
    start = nul + 1;
  }
  std::vector<const char*> argv;
  for (const std::string& part : parts) argv.push_back(part.c_str());
  Check(app::JoinArguments(static_cast<int>(argv.size()), argv.data()) == joined,
        "the arguments are not joined by single blanks");
}

std::span<const FuzzTarget> AllTargets() {
  static constexpr FuzzTarget kTargets[] = {
      {"reply_dispatcher", FuzzReplyDispatcher}, {"reply_parse", FuzzReplyParse},
      {"convert_download", FuzzConvertDownload}, {"credentials", FuzzCredentials},
      {"inquiry_reader", FuzzInquiryReader},     {"request_items", FuzzRequestItems},
  };
  return kTargets;
}

}  // namespace webaccess::fuzz
