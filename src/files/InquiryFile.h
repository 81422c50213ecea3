#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/Channels.h"
#include "files/LineReader.h"

namespace webaccess::files {

// A line of at least this many characters counts as a record in the order.
inline constexpr std::size_t kCountedLength = 51;
// A line of at least this many characters is sent to the server.
inline constexpr std::size_t kSendableLength = 56;

// The number of lines of kCountedLength characters or more.
std::int64_t CountRecordLines(LineReader& reader);

// Counts the records of INQUIRY.QDK on channel 1. A missing file is created
// empty and counts 0; a file that is there but cannot be opened or read
// throws WorkFileError. The count stops at 32767, the largest order the
// 16-bit count can name.
std::int16_t CountInquiries(Channels& channels);

// Reads lines until one of kSendableLength characters or more; shorter lines
// are skipped. A line of exactly kSendableLength gets "00" appended. False
// when the file ends first.
bool ReadNextRecord(LineReader& reader, std::string& record);

// The items of the inquiry file read as comma-separated fields (an item ends
// at a comma or at the end of its line; leading blanks are skipped; a quoted
// item runs to its closing quote and may hold commas). Channel 1 is left open.
std::vector<std::string> ReadRequestItems(Channels& channels);

// The items of one line, by the rules above.
void SplitRequestItems(std::string_view line, std::vector<std::string>& items);

// One row of the request list: the number as "0000", two blanks, character 1,
// three blanks, characters 2 to 20, three blanks, characters 21 to 35.
std::string RequestRow(std::string_view item, int number);

}  // namespace webaccess::files
