#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The texts of the work files as the tests write and read them: the order's
// records, the audit line's layout, and lines split at their ends. Standard
// C++ only, shared by every test and the fuzz targets.
namespace webaccess::testing {

// What follows the state in an inquiry record.
enum class RecordTail {
  Plain,    // a date of birth, then digits
  Escaped,  // bytes that must travel escaped in a request (& % # + and one
            // above 0x7E) and bytes that travel as they are (blank ! = | < >)
};

// Inquiry record number n of `length` characters: a kind digit, the name
// (19), the plate (15) and the state (2), where the server's response header
// and the audit line take them; then the tail, cut at `length` or filled up
// (Plain with digits, Escaped with dots). Different for every n.
std::string InquiryRecord(int n, std::size_t length = 60, RecordTail tail = RecordTail::Plain);
// Records first..first+count-1 as the lines of an inquiry file, CR LF each.
std::string InquiryLines(int count, std::size_t length = 60, int first = 1);

// The audit line of a response to `record`, after its 16 characters of date
// and time: the user id, the state, the plate and the name as the response
// header carries them, and the response's error code.
std::string AuditTail(std::string_view userId, std::string_view record,
                      std::string_view code = "00");
// The date and time that open an audit line: "MM/DD/YYhh:mm:ss".
bool IsAuditStamp(std::string_view text);

enum class LineEnds {
  CrLf,      // CR LF only, as the work files end their lines
  CrOrCrLf,  // CR LF, or a CR alone
  Lf,        // LF
  Any,       // CR LF, CR or LF
};
// The lines of a text. What follows the last line end goes to `unended`
// when it is given; otherwise it is one more line unless it is empty.
std::vector<std::string> SplitLines(std::string_view text, LineEnds ends = LineEnds::CrLf,
                                    std::string* unended = nullptr);

}  // namespace webaccess::testing
