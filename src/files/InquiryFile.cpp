#include "files/InquiryFile.h"

#include <cerrno>
#include <cstdio>
#include <limits>

#include "files/WorkFileNames.h"

namespace webaccess::files {

std::int64_t CountRecordLines(LineReader& reader) {
  std::int64_t count = 0;
  std::string_view line;
  while (reader.ReadLineView(line)) {
    if (line.size() >= kCountedLength) ++count;
  }
  return count;
}

std::int16_t CountInquiries(Channels& channels) {
  channels.Close(kShortLived);
  std::FILE* probe = std::fopen(kInquiryFile, "rb");
  if (probe == nullptr && errno == ENOENT) {
    channels.OpenOutput(kShortLived, kInquiryFile, OutputFile::Mode::Append);
    channels.Close(kShortLived);
    return 0;
  }
  if (probe != nullptr) std::fclose(probe);
  // An order that is there but cannot be read is no empty order: opening or
  // reading it fails like any other work file, before anything is sent.
  LineReader& reader = channels.OpenInput(kShortLived, kInquiryFile, LineReader::LineEnds::Any);
  const std::int64_t count = CountRecordLines(reader);
  channels.Close(kShortLived);
  constexpr std::int64_t kMax = std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(count > kMax ? kMax : count);
}

bool ReadNextRecord(LineReader& reader, std::string& record) {
  while (reader.ReadLine(record)) {
    if (record.size() < kSendableLength) continue;
    if (record.size() == kSendableLength) record += "00";
    return true;
  }
  return false;
}

void SplitRequestItems(std::string_view line, std::vector<std::string>& items) {
  std::size_t pos = 0;
  for (;;) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    std::string item;
    if (pos < line.size() && line[pos] == '"') {
      const std::size_t close = line.find('"', pos + 1);
      const std::size_t end = close == std::string_view::npos ? line.size() : close;
      item.assign(line.substr(pos + 1, end - pos - 1));
      pos = end < line.size() ? end + 1 : end;
      // Whatever stands between the closing quote and the next comma is dropped.
      const std::size_t comma = line.find(',', pos);
      pos = comma == std::string_view::npos ? line.size() : comma;
    } else {
      const std::size_t comma = line.find(',', pos);
      const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
      std::size_t last = end;
      while (last > pos && (line[last - 1] == ' ' || line[last - 1] == '\t')) --last;
      item.assign(line.substr(pos, last - pos));
      pos = end;
    }
    items.push_back(std::move(item));
    if (pos >= line.size()) return;
    ++pos;  // past the comma: another item follows, even an empty one
  }
}

std::vector<std::string> ReadRequestItems(Channels& channels) {
  channels.Close(kShortLived);
  LineReader& reader = channels.OpenInput(kShortLived, kInquiryFile, LineReader::LineEnds::Any);
  std::vector<std::string> items;
  std::string line;
  while (reader.ReadLine(line)) SplitRequestItems(line, items);
  return items;
}

std::string RequestRow(std::string_view item, int number) {
  std::string digits = std::to_string(number);
  std::string row;
  if (digits.size() < 4) row.assign(4 - digits.size(), '0');
  row += digits;
  auto slice = [&](std::size_t from, std::size_t length) {
    return from < item.size() ? item.substr(from, length) : std::string_view{};
  };
  row += "  ";
  row += slice(0, 1);
  row += "   ";
  row += slice(1, 19);
  row += "   ";
  row += slice(20, 15);
  return row;
}

}  // namespace webaccess::files
