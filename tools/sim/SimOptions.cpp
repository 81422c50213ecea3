#include "SimOptions.h"

#include <charconv>
#include <cstdlib>

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

const char* SimUsage() {
  return "Usage: webaccess-sim [options]\n"
         "Plays the server on 127.0.0.1 and prints its base URL on the first line.\n"
         "  --port N                 port to listen on; 0 (the default) picks a free one\n"
         "  --interactive-logon      a logon without credentials gets a logon form that\n"
         "                           accepts them; without it the page has no form\n"
         "  --ready-after N          count polls answered NONE after a DONE (default 1)\n"
         "  --fail-record N[:CODE]   the Nth record received gets an <ERR> piece (code 17)\n"
         "  --message TEXT           a server message, answered by V7Message (repeatable)\n"
         "  --file-message TEXT      a <MESG> piece in the first response file (repeatable)\n"
         "  --error CODE             the logon answers ACTION=EXIT&REPLY=CODE\n"
         "  --waiting N              N responses of an earlier run wait at the first count\n"
         "  --pickup-rounds N        the Nth pick-up request completes (default 1)\n"
         "  --require-cookie         the logon sets a session cookie that every later page\n"
         "                           and the response file require\n"
         "  --drop-at STEP           close the connection without an answer\n"
         "  --status500-at STEP      answer 500\n"
         "  --short-body-at STEP     announce a longer body than is sent, then close\n"
         "  --redirect-loop-at STEP  redirect to a page that redirects to itself\n"
         "                           STEP: PAGE, PAGE:N (the Nth request for PAGE) or N\n"
         "                           (the Nth request); PAGE is V7Begin, V7Login, V7Main,\n"
         "                           V7Count, V7Delete, V7Message, Reply or File\n"
         "  --uri-limit BYTES        answer 414 to a request target longer than this\n"
         "  --delay-ms MS            wait before every answer\n"
         "  --exit-after N           end the process after answering N requests\n"
         "  --log FILE               append each request target to FILE\n"
         "  --lifetime SECONDS       end by itself after this long (default 3600; 0 never)\n"
         "  --tls CERT KEY           serve https with this certificate and key (PEM files)\n";
}

std::optional<SimOptions> ParseSimArguments(const std::vector<std::string>& args,
                                            std::string& error) {
  SimOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&]() -> const std::string* {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return nullptr;
      }
      return &args[++i];
    };
    const auto number = [&](int& target, int minimum) {
      const std::string* text = value();
      if (text == nullptr) return false;
      if (!ToInt(*text, target, minimum)) {
        error = arg + " needs a whole number of at least " + std::to_string(minimum);
        return false;
      }
      return true;
    };
    const auto fault = [&](FaultKind kind) {
      const std::string* text = value();
      if (text == nullptr) return false;
      FaultPoint point;
      point.kind = kind;
      if (!ParseFaultPoint(*text, point)) {
        error = arg + ": bad step \"" + *text + "\"";
        return false;
      }
      options.faults.push_back(point);
      return true;
    };

    bool ok = true;
    if (arg == "--port") {
      ok = number(options.port, 0);
      if (ok && options.port > 65535) {
        error = "--port is at most 65535";
        ok = false;
      }
    } else if (arg == "--interactive-logon") {
      options.interactiveLogon = true;
    } else if (arg == "--ready-after") {
      ok = number(options.readyAfter, 0);
    } else if (arg == "--fail-record") {
      const std::string* text = value();
      ok = text != nullptr;
      if (ok) {
        const std::size_t colon = text->find(':');
        int record = 0;
        std::string code = colon == std::string::npos ? "17" : text->substr(colon + 1);
        ok = ToInt(text->substr(0, colon), record, 1) && code.size() == 2;
        if (ok) {
          options.failRecords[record] = code;
        } else {
          error = "--fail-record needs N or N:CODE with a two-character code";
        }
      }
    } else if (arg == "--message" || arg == "--file-message") {
      const std::string* text = value();
      ok = text != nullptr;
      if (ok) (arg == "--message" ? options.messages : options.fileMessages).push_back(*text);
    } else if (arg == "--error") {
      const std::string* text = value();
      ok = text != nullptr;
      if (ok) options.error = *text;
    } else if (arg == "--waiting") {
      ok = number(options.waiting, 0);
    } else if (arg == "--pickup-rounds") {
      ok = number(options.pickupRounds, 1);
    } else if (arg == "--require-cookie") {
      options.requireCookie = true;
    } else if (arg == "--drop-at") {
      ok = fault(FaultKind::Drop);
    } else if (arg == "--status500-at") {
      ok = fault(FaultKind::ServerError);
    } else if (arg == "--short-body-at") {
      ok = fault(FaultKind::ShortBody);
    } else if (arg == "--redirect-loop-at") {
      ok = fault(FaultKind::RedirectLoop);
    } else if (arg == "--uri-limit") {
      ok = number(options.uriLimit, 1);
    } else if (arg == "--delay-ms") {
      ok = number(options.delayMs, 0);
    } else if (arg == "--exit-after") {
      ok = number(options.exitAfter, 1);
    } else if (arg == "--log") {
      const std::string* text = value();
      ok = text != nullptr;
      if (ok) options.logFile = *text;
    } else if (arg == "--lifetime") {
      const std::string* text = value();
      ok = text != nullptr;
      if (ok) {
        char* end = nullptr;
        options.lifetimeSeconds = std::strtod(text->c_str(), &end);
        ok = !text->empty() && end == text->c_str() + text->size() && options.lifetimeSeconds >= 0;
        if (!ok) error = "--lifetime needs a number of seconds";
      }
    } else if (arg == "--tls") {
      const std::string* cert = value();
      const std::string* key = cert != nullptr ? value() : nullptr;
      ok = key != nullptr;
      if (ok) {
        options.tlsCert = *cert;
        options.tlsKey = *key;
      } else {
        error = "--tls needs a certificate file and a key file";
      }
    } else {
      error = "unknown argument \"" + arg + "\"";
      ok = false;
    }
    if (!ok) return std::nullopt;
  }
  return options;
}

}  // namespace webaccess::sim
