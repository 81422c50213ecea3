#include "programs/Orders.h"

#include <fstream>

namespace webaccess::programs {
namespace {

std::string Pad(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

}  // namespace

std::string InquiryRecord(int n, std::size_t length) {
  std::string record = std::to_string(n % 10) + Pad("NAME " + std::to_string(n), 19) +
                       Pad("PLT" + std::to_string(n), 15) + "CA" + "A&B %41 #1 +2 =!|<>\xE9";
  record.resize(length, '.');
  return record;
}

std::vector<std::string> TwentyFiveRecordOrder() {
  std::vector<std::string> lines;
  for (int n = 1; n <= 25; ++n) lines.push_back(InquiryRecord(n, n % 5 == 0 ? 56 : 60 + n % 3));
  lines.insert(lines.begin() + 3, std::string(55, 'S'));
  lines.insert(lines.begin() + 7, "");
  return lines;
}

void WriteInquiry(const std::filesystem::path& dir, const std::vector<std::string>& lines) {
  std::ofstream out(dir / "INQUIRY.QDK", std::ios::binary);
  for (const std::string& line : lines) out << line << "\r\n";
}

}  // namespace webaccess::programs
