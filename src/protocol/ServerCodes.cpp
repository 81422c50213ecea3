#include "protocol/ServerCodes.h"

namespace webaccess::protocol {
namespace {

#define BLANK_LINE "\r\n\r\n"

constexpr ServerCode kCodes[] = {
    {"ABORT", "Received an Abort from Web Server. ", "Received an Abort from Web Server"},
    {"INACTIVE",
     "User ID is not active in Vantorel's Computer! " BLANK_LINE
     "Please call Vantorel at 800-555-0142 to reset your User ID! ",
     "User Id not active"},
    {"TOOMANY",
     "Since you have not entered the correct log-in information after "
     "3 attempts, you must close this program and try again. " BLANK_LINE
     "If you still have problems, please contact Vantorel at 800-555-0142 for help! ",
     "Three attempts to logon"},
    {"TIMEOUT",
     "California DMV regulation state that we must log "
     "you out of the web after 10 minutes of non-activity. ",
     "10 minute time-out"},
    {"REVOKED",
     "Your User ID has been revoked!" BLANK_LINE
     "You must call Vantorel at 800-555-0142 to reactivate it!",
     "User has been revoked"},
};

#undef BLANK_LINE

}  // namespace

const ServerCode* FindServerCode(std::string_view code) {
  for (const ServerCode& entry : kCodes) {
    if (code == entry.code) return &entry;
  }
  return nullptr;
}

std::string WithClosingLines(std::string_view text) {
  std::string out(text);
  out += "\r\n\r\nPress exit to continue.";
  return out;
}

}  // namespace webaccess::protocol
