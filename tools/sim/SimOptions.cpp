#include "SimOptions.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdlib>
#include <functional>
#include <limits>

#include "Query.h"

namespace webaccess::sim {
namespace {

constexpr const char* kPageNames[] = {"V7Begin",   "V7Login", "V7Main", "V7Count", "V7Delete",
                                      "V7Message", "Reply",   "Loop",   "File",    "Other"};

bool ToInt(const std::string& text, int& value, int minimum) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= minimum;
}

// "PAGE", "PAGE:N" or "N".
bool ParseFaultPoint(const std::string& text, FaultPoint& point) {
  const std::size_t colon = text.find(':');
  const std::string head = text.substr(0, colon);
  int number = 0;
  if (colon == std::string::npos && ToInt(head, number, 1)) {
    point.page.reset();
    point.occurrence = number;
    return true;
  }
  const auto page = PageFromName(head);
  if (!page) return false;
  point.page = page;
  point.occurrence = 1;
  return colon == std::string::npos || ToInt(text.substr(colon + 1), point.occurrence, 1);
}

}  // namespace

const char* PageName(Page page) { return kPageNames[static_cast<int>(page)]; }

std::optional<Page> PageFromName(const std::string& name) {
  const std::string lower = Lower(name);
  for (int i = 0; i < static_cast<int>(std::size(kPageNames)); ++i) {
    if (Lower(kPageNames[i]) == lower) return static_cast<Page>(i);
  }
  return std::nullopt;
}

namespace {

// The options and the fields they fill. A new option is one more line here.
struct Parser {
  CLI::App app{"Plays the server on 127.0.0.1 and prints its base URL on the first line.",
               "webaccess-sim"};
  SimOptions options;

  static CLI::Validator Check(std::function<std::string(const std::string&)> check,
                              std::string name) {
    return CLI::Validator([check](std::string& text) { return check(text); }, std::move(name));
  }
  static CLI::Validator WholeNumber(int minimum, int maximum = std::numeric_limits<int>::max()) {
    return Check(
        [minimum, maximum](const std::string& text) -> std::string {
          int value = 0;
          if (ToInt(text, value, minimum) && value <= maximum) return {};
          return "needs a whole number of at least " + std::to_string(minimum) +
                 (maximum < std::numeric_limits<int>::max()
                      ? " and at most " + std::to_string(maximum)
                      : "");
        },
        "");
  }
  void Number(const char* name, int& target, int minimum, const char* help,
              int maximum = std::numeric_limits<int>::max()) {
    app.add_option(name, target, help)->type_name("N")->check(WholeNumber(minimum, maximum));
  }
  void Fault(const char* name, FaultKind kind, const char* help) {
    app.add_option_function<std::vector<std::string>>(
           name,
           [this, kind](const std::vector<std::string>& steps) {
             for (const std::string& step : steps) {
               FaultPoint point;
               point.kind = kind;
               ParseFaultPoint(step, point);
               options.faults.push_back(point);
             }
           },
           std::string(help) + " (repeatable)")
        ->type_name("STEP")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false)
        ->check(Check(
            [](const std::string& text) -> std::string {
              FaultPoint point;
              return ParseFaultPoint(text, point) ? "" : "bad step \"" + text + "\"";
            },
            ""));
  }

  Parser() {
    app.set_help_flag("-h,--help", "print this help and exit");
    app.add_flag("--version", options.version, "print the version and exit");
    Number("--port", options.port, 0, "port to listen on; 0 (the default) picks a free one", 65535);
    app.add_flag("--interactive-logon", options.interactiveLogon,
                 "a logon without credentials gets a logon form that\n"
                 "accepts them; without it the page has no form");
    Number("--ready-after", options.readyAfter, 0,
           "count polls answered NONE after a DONE (default 1)");
    app.add_option_function<std::vector<std::string>>(
           "--fail-record",
           [this](const std::vector<std::string>& texts) {
             for (const std::string& text : texts) {
               const std::size_t colon = text.find(':');
               int record = 0;
               ToInt(text.substr(0, colon), record, 1);
               options.failRecords[record] =
                   colon == std::string::npos ? "17" : text.substr(colon + 1);
             }
           },
           "the Nth record received gets an <ERR> piece (code 17;\nrepeatable)")
        ->type_name("N[:CODE]")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false)
        ->check(Check(
            [](const std::string& text) -> std::string {
              const std::size_t colon = text.find(':');
              int record = 0;
              const bool ok = ToInt(text.substr(0, colon), record, 1) &&
                              (colon == std::string::npos || text.size() - colon - 1 == 2);
              return ok ? "" : "needs N or N:CODE with a two-character code";
            },
            ""));
    app.add_option("--message", options.messages,
                   "a server message, answered by V7Message (repeatable)")
        ->type_name("TEXT")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false);
    app.add_option("--file-message", options.fileMessages,
                   "a <MESG> piece in the first response file (repeatable)")
        ->type_name("TEXT")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false);
    app.add_option_function<std::string>(
           "--error", [this](const std::string& code) { options.error = code; },
           "the logon answers ACTION=EXIT&REPLY=CODE")
        ->type_name("CODE");
    Number("--waiting", options.waiting, 0,
           "N responses of an earlier run wait at the first count");
    Number("--pickup-rounds", options.pickupRounds, 1,
           "the Nth pick-up request completes (default 1)");
    app.add_flag("--require-cookie", options.requireCookie,
                 "the logon sets a session cookie that every later page\n"
                 "and the response file require");
    Fault("--drop-at", FaultKind::Drop, "close the connection without an answer");
    Fault("--status500-at", FaultKind::ServerError, "answer 500");
    Fault("--short-body-at", FaultKind::ShortBody,
          "announce a longer body than is sent, then close");
    Fault("--redirect-loop-at", FaultKind::RedirectLoop,
          "redirect to a page that redirects to itself");
    Number("--uri-limit", options.uriLimit, 1, "answer 414 to a request target longer than this");
    Number("--delay-ms", options.delayMs, 0, "wait before every answer");
    Number("--hold-file-ms", options.holdFileMs, 0,
           "wait this long more before the response file's answer");
    Number("--exit-after", options.exitAfter, 1, "end the process after answering N requests");
    app.add_option("--log", options.logFile, "append each request target to FILE")
        ->type_name("FILE");
    app.add_option("--lifetime", options.lifetimeSeconds,
                   "end by itself after this long (default 3600; 0 never)")
        ->type_name("SECONDS")
        ->check(Check(
            [](const std::string& text) -> std::string {
              char* end = nullptr;
              const double seconds = std::strtod(text.c_str(), &end);
              const bool ok = !text.empty() && end == text.c_str() + text.size() && seconds >= 0;
              return ok ? "" : "needs a number of seconds";
            },
            ""));
    app.add_option_function<std::vector<std::string>>(
           "--tls",
           [this](const std::vector<std::string>& files) {
             options.tlsCert = files[0];
             options.tlsKey = files[1];
           },
           "serve https with this certificate and key (PEM files)")
        ->type_name("CERT KEY")
        ->expected(2)
        ->allow_extra_args(false);
    app.footer(
        "STEP: PAGE, PAGE:N (the Nth request for PAGE) or N (the Nth request); PAGE is\n"
        "V7Begin, V7Login, V7Main, V7Count, V7Delete, V7Message, Reply or File.");
  }
};

}  // namespace

std::string SimUsage() { return Parser().app.help(); }

std::optional<SimOptions> ParseSimArguments(const std::vector<std::string>& args,
                                            std::string& error) {
  Parser parser;
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    parser.app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    parser.options.help = true;
  } catch (const CLI::ParseError& e) {
    error = e.what();
    return std::nullopt;
  }
  return std::move(parser.options);
}

}  // namespace webaccess::sim
