#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace webaccess::programs {

// An order of 25 records of 56 to 62 characters, their tails with bytes
// that travel escaped (RecordTail::Escaped), and a line too short to send
// (counted, never sent) and an empty line among them.
std::vector<std::string> TwentyFiveRecordOrder();

// INQUIRY.QDK in `dir`: the lines, each ended by CR LF.
void WriteInquiry(const std::filesystem::path& dir, const std::vector<std::string>& lines);

}  // namespace webaccess::programs
