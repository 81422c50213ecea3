#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>
#include <string_view>

namespace webaccess::fuzz {

// The fuzz targets. Each runs one input and throws InvariantBroken (see
// FuzzSupport.h) when the code under test breaks a rule; crashes and
// sanitizer reports speak for themselves. They work on the work files of the
// current directory, which should be a scratch directory: each input starts
// by emptying it.

// The reply dispatcher driven through whole runs: the main window loads,
// counts and confirms an inquiry file from the input, starts, then replays
// the input's lines as completed navigations, timer ticks, answers,
// downloads and menu choices.
void FuzzReplyDispatcher(const std::uint8_t* data, std::size_t size);
// A reply URL: normalised, its escaped blanks decoded, and taken apart by
// the reply parser.
void FuzzReplyParse(const std::uint8_t* data, std::size_t size);
// The input as DOWN.TXT, converted and compared with a plain reading of the
// conversion rules.
void FuzzConvertDownload(const std::uint8_t* data, std::size_t size);
// The input as the command-line text the credentials are cut from.
void FuzzCredentials(const std::uint8_t* data, std::size_t size);
// The input as INQUIRY.QDK: counted, read record by record and line by line.
void FuzzInquiryReader(const std::uint8_t* data, std::size_t size);
// The input as INQUIRY.QDK read item by item for the request list.
void FuzzRequestItems(const std::uint8_t* data, std::size_t size);

struct FuzzTarget {
  std::string_view name;  // also the corpus directory: fuzz/corpus/<name>
  void (*run)(const std::uint8_t* data, std::size_t size);
};

// A target shows by its name in a test's report.
inline void PrintTo(const FuzzTarget& target, std::ostream* out) { *out << target.name; }

std::span<const FuzzTarget> AllTargets();

}  // namespace webaccess::fuzz
