#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace webaccess::programs {

// Inquiry record number n of `length` characters: kind, name, plate, state,
// then a tail of characters that must travel escaped (& % # + and a byte
// above 0x7E) or as they are (blank, !, =, |, <, >).
std::string InquiryRecord(int n, std::size_t length);

// An order of 25 records of 56 to 62 characters, with a line too short to
// send (counted, never sent) and an empty line among them.
std::vector<std::string> TwentyFiveRecordOrder();

// INQUIRY.QDK in `dir`: the lines, each ended by CR LF.
void WriteInquiry(const std::filesystem::path& dir, const std::vector<std::string>& lines);

}  // namespace webaccess::programs
