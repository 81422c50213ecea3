#include "support/WorkFileText.h"

namespace webaccess::testing {
namespace {

std::string Pad(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string InquiryRecord(int n, std::size_t length, RecordTail tail) {
  std::string record = std::to_string(n % 10) + Pad("NAME " + std::to_string(n), 19) +
                       Pad("PLT" + std::to_string(n), 15) + "CA";
  if (tail == RecordTail::Escaped) {
    record += "A&B %41 #1 +2 =!|<>\xE9";
    record.resize(length, '.');
    return record;
  }
  record += "DOB19800101 ";
  for (int digit = 0; record.size() < length; ++digit) {
    record += static_cast<char>('0' + digit % 10);
  }
  record.resize(length);
  return record;
}

std::string InquiryLines(int count, std::size_t length, int first) {
  std::string lines;
  for (int n = first; n < first + count; ++n) lines += InquiryRecord(n, length) + "\r\n";
  return lines;
}

std::string AuditTail(std::string_view userId, std::string_view record, std::string_view code) {
  std::string tail(userId);
  tail += record.substr(35, 2);
  tail += record.substr(20, 15);
  tail += record.substr(1, 19);
  tail += code;
  return tail;
}

bool IsAuditStamp(std::string_view text) {
  static constexpr std::string_view kShape = "99/99/9999:99:99";
  if (text.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    if (kShape[i] == '9' ? !IsDigit(text[i]) : text[i] != kShape[i]) return false;
  }
  return true;
}

std::vector<std::string> SplitLines(std::string_view text, LineEnds ends, std::string* unended) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  for (std::size_t at = pos; at < text.size(); ++at) {
    const char c = text[at];
    const bool crLf = c == '\r' && at + 1 < text.size() && text[at + 1] == '\n';
    std::size_t endLength = 0;
    switch (ends) {
      case LineEnds::CrLf:
        endLength = crLf ? 2 : 0;
        break;
      case LineEnds::CrOrCrLf:
        endLength = crLf ? 2 : c == '\r' ? 1 : 0;
        break;
      case LineEnds::Lf:
        endLength = c == '\n' ? 1 : 0;
        break;
      case LineEnds::Any:
        endLength = crLf ? 2 : (c == '\r' || c == '\n') ? 1 : 0;
        break;
    }
    if (endLength == 0) continue;
    lines.emplace_back(text.substr(pos, at - pos));
    at += endLength - 1;
    pos = at + 1;
  }
  const std::string_view rest = text.substr(pos);
  if (unended != nullptr) {
    *unended = rest;
  } else if (!rest.empty()) {
    lines.emplace_back(rest);
  }
  return lines;
}

}  // namespace webaccess::testing
