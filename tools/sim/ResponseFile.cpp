#include "ResponseFile.h"

#include <cstdio>

namespace webaccess::sim {
namespace {

// Record positions from..from+length-1 (counted from 1), blank-filled.
std::string Slice(const std::string& record, std::size_t from, std::size_t length) {
  std::string out = from - 1 < record.size() ? record.substr(from - 1, length) : std::string{};
  out.resize(length, ' ');
  return out;
}

}  // namespace

std::string ResponseHeader(const Response& response) {
  char sequence[16];
  std::snprintf(sequence, sizeof sequence, "SEQ%07d", response.number % 10000000);
  return Slice(response.record, 2, 19) + " " + Slice(response.record, 21, 15) + sequence +
         Slice(response.record, 36, 2);
}

std::vector<std::string> ResponseBody(const Response& response) {
  const std::string number = std::to_string(response.number);
  return {"RESPONSE " + number, response.record, "END OF RESPONSE " + number};
}

std::string BuildResponseFile(const ResponseFileContent& content) {
  std::string file = "WEBACCESS SIMULATED RESPONSES\r\n";
  file += "COMPANY " + content.companyNumber + " USER " + content.userId + " RESPONSES " +
          std::to_string(content.responses.size()) + "\r\n";
  for (const std::string& message : content.messages) file += "<MESG>" + message + "\r\n";
  for (const Response& response : content.responses) {
    std::vector<std::string> pieces{"<NEW>" + ResponseHeader(response)};
    if (!response.errorCode.empty()) pieces.push_back("<ERR>" + response.errorCode);
    for (std::string& line : ResponseBody(response)) pieces.push_back(std::move(line));
    const bool oneLine = response.number % 2 == 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      file += pieces[i];
      file += oneLine && i + 1 < pieces.size() ? "\n" : "\r\n";
    }
  }
  if (content.completed) file += "<COMPLETED>\r\n";
  return file;
}

}  // namespace webaccess::sim
