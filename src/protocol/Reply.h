#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace webaccess::protocol {

// Which reply a final URL is. Where a URL holds the marks of several, the
// first of this list wins.
enum class ReplyKind {
  None,            // empty, or nothing this client acts on
  LogonPage,       // the server's logon page, "V7LOGINPASSWORD.ASP" or "V7LOGIN.ASP"
  ServerCode,      // ACTION=EXIT: a server code ends the program
  NoMoreMessages,  // ACTION=MSG holding "<NONE>"
  Message,         // ACTION=MSG with a message
  Terminal,        // ACTION=TERMINAL: the user works in the server's page
  Next,            // ACTION=NEXT: the record was taken
  Logon,           // ACTION=LOGON: the logon acknowledgement
  Count,           // ACTION=COUNT: the response count
  Deleted,         // ACTION=DELETED: the delete acknowledgement
};

// A reply URL taken apart. Every text is upper-cased, as the reply is.
struct Reply {
  ReplyKind kind = ReplyKind::None;
  // The text behind the first "REPLY=" to the end; in a message reply, of
  // the reply with each "%20" decoded to a blank.
  std::optional<std::string> value;
  // A logon acknowledgement holding "UID=": the text behind "UID=", and the
  // company number, the text from behind "CID=" (without one, from the
  // fourth character) up to "UID=".
  std::optional<std::string> userId;
  std::string companyNumber;
  // A message reply whose value holds "|": the text behind the first "|".
  std::optional<std::string> message;
};

// The reply as the dispatcher reads it: upper-cased, blanks trimmed at both ends.
std::string NormaliseReply(std::string_view url);

// The text behind the first "REPLY=" to the end, or nothing without one.
std::optional<std::string_view> ValueAfterReply(std::string_view reply);

// The final URL of a navigation, normalised, classified and taken apart.
Reply ReadReply(std::string_view url);

inline bool Holds(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace webaccess::protocol
