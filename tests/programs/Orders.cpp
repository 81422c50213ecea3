#include "programs/Orders.h"

#include <fstream>

#include "support/WorkFileText.h"

namespace webaccess::programs {
std::vector<std::string> TwentyFiveRecordOrder() {
  std::vector<std::string> lines;
  for (int n = 1; n <= 25; ++n)
    lines.push_back(
        testing::InquiryRecord(n, n % 5 == 0 ? 56 : 60 + n % 3, testing::RecordTail::Escaped));
  lines.insert(lines.begin() + 3, std::string(55, 'S'));
  lines.insert(lines.begin() + 7, "");
  return lines;
}

void WriteInquiry(const std::filesystem::path& dir, const std::vector<std::string>& lines) {
  std::ofstream out(dir / "INQUIRY.QDK", std::ios::binary);
  for (const std::string& line : lines) out << line << "\r\n";
}

}  // namespace webaccess::programs
