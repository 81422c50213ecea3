#pragma once

#include <string>
#include <vector>

namespace webaccess::sim {

// One prepared response.
struct Response {
  int number = 0;         // running number of the response at this server, from 1
  std::string record;     // the inquiry record as received
  std::string errorCode;  // two characters; empty for a response without error
};

// The header of a response, the text behind "<NEW>", 47 characters, laid out
// where the client's audit line takes its parts from:
//   1-19   record positions 2-20
//   20     a blank
//   21-35  record positions 21-35
//   36-45  "SEQ" and the response number in seven digits
//   46-47  record positions 36-37
// Positions the record does not have are blanks.
std::string ResponseHeader(const Response& response);

// The body lines of a response: "RESPONSE n", the record, "END OF RESPONSE n".
std::vector<std::string> ResponseBody(const Response& response);

struct ResponseFileContent {
  std::string companyNumber;
  std::string userId;
  std::vector<Response> responses;
  std::vector<std::string> messages;  // server messages, as "<MESG>" pieces
  bool completed = false;             // ends with "<COMPLETED>"
};

// The response file as the server prepares it. Lines end in CR LF:
//   "WEBACCESS SIMULATED RESPONSES"
//   "COMPANY <number> USER <id> RESPONSES <count>"
//   one "<MESG>" line per message
//   per response: "<NEW>" and the header, "<ERR>" and the code when it has
//     one, the body lines. An odd-numbered response has one piece per line;
//     an even-numbered one is a single line of pieces separated by LF.
//   "<COMPLETED>" when the pick-up has nothing more.
std::string BuildResponseFile(const ResponseFileContent& content);

}  // namespace webaccess::sim
