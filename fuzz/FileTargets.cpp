// The work-file targets: the download conversion, the inquiry reader and the
// request list's item reader.
#include <algorithm>
#include <limits>
#include <string>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "files/ConvertDownload.h"
#include "files/InquiryFile.h"
#include "files/LineReader.h"
#include "files/WorkFileNames.h"
#include "files/WorkFiles.h"
#include "support/FakePlatform.h"

namespace webaccess::fuzz {
namespace {

constexpr std::string_view kUserId = "ABC12 ";
// The test clock's moment as the audit line writes it.
constexpr std::string_view kAuditStamp = "12/07/2614:30:15";

bool Holds(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::string_view Mid(std::string_view text, std::size_t from, std::size_t length) {
  return from < text.size() ? text.substr(from, length) : std::string_view{};
}

struct Converted {
  std::string response;
  std::string audit;
  std::string messages;
  bool completed = false;
};

// The conversion read plainly off its rules: skip two lines; split each line
// into its LF-separated pieces (a file without CR has LF line ends, and each
// of its lines is one piece); the first tag a piece holds decides.
Converted ConvertByTheRules(std::string_view download) {
  Converted out;
  const bool lfLines = !Holds(download, "\r");
  const std::vector<std::string> lines =
      SplitLines(download, lfLines ? LineEnds::Lf : LineEnds::CrOrCrLf);
  bool begun = false;
  std::string pending;
  std::string code;
  const auto endRecord = [&] {
    if (begun) out.audit += pending + code + "\r\n";
  };
  const auto piece = [&](std::string_view p) {
    if (Holds(p, "<MESG>")) {
      out.messages += std::string(Mid(p, 6, std::string_view::npos)) + "\r\n";
    } else if (Holds(p, "<NEW>")) {
      endRecord();
      begun = true;
      code = "00";
      const std::string_view header = Mid(p, 5, std::string_view::npos);
      pending = std::string(kAuditStamp) + std::string(kUserId) + std::string(Mid(header, 45, 2)) +
                std::string(Mid(header, 20, 15)) + std::string(Mid(header, 0, 19));
    } else if (Holds(p, "<ERR>")) {
      code = Mid(p, 5, 2);
    } else if (Holds(p, "<COMPLETED>")) {
      out.completed = true;
    } else {
      out.response += std::string(p) + "\r\n";
    }
  };
  for (std::size_t i = 2; i < lines.size(); ++i) {
    if (lfLines) {
      piece(lines[i]);
      continue;
    }
    std::string_view rest = lines[i];
    while (!rest.empty()) {
      const std::size_t lf = rest.find('\n');
      if (lf == std::string_view::npos) {
        piece(rest);
        break;
      }
      piece(rest.substr(0, lf));
      rest.remove_prefix(lf + 1);
    }
  }
  endRecord();
  return out;
}

std::size_t CountOf(std::string_view text, char c) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

void CheckCrOnlyInLineEnds(std::string_view text, const char* what) {
  for (std::size_t at = text.find('\r'); at != std::string_view::npos;
       at = text.find('\r', at + 1)) {
    Check(at + 1 < text.size() && text[at + 1] == '\n', what);
  }
}

std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace

void FuzzConvertDownload(const std::uint8_t* data, std::size_t size) {
  RemoveWorkingFiles();
  const std::string download = WithFiller(AsText(data, size));
  WriteFile(files::kDownloadFile, download);
  testing::VirtualClock clock;  // stands still
  files::WorkFiles workFiles(clock);
  workFiles.ResetWorkFiles();
  int passes = 0;
  const bool completed = files::ConvertDownload(workFiles, clock, kUserId, [&passes] { ++passes; });
  workFiles.channels().CloseAllQuietly();

  const Converted expected = ConvertByTheRules(download);
  const std::string response = ReadFile(files::kResponseFile);
  const std::string audit = ReadFile(files::kAuditFile);
  Check(completed == expected.completed, "the completed marker is not reported as the file has it");
  Check(response == expected.response, "RESPONSE.QDK is not what the download's body pieces give");
  Check(audit == expected.audit, "AUDIT.QDK is not one line per record as the headers give it");
  Check(ReadFile(files::kMessageFile) == expected.messages,
        "MESSAGE.QDK is not the download's server messages");
  CheckCrOnlyInLineEnds(response, "a response line holds a CR");
  CheckCrOnlyInLineEnds(audit, "an audit line holds a CR");
  Check(ReadFile(files::kDownloadFile) == download, "DOWN.TXT was changed");
  const std::size_t lines =
      SplitLines(download, Holds(download, "\r") ? LineEnds::CrOrCrLf : LineEnds::Lf).size();
  Check(lines <= 2 || passes >= 1, "no window event could run during the conversion");
  Check(static_cast<std::size_t>(passes) <= lines, "events ran more often than once a line");
}

void FuzzInquiryReader(const std::uint8_t* data, std::size_t size) {
  RemoveWorkingFiles();
  const std::string text = WithFiller(AsText(data, size));
  WriteFile(files::kInquiryFile, text);
  const std::vector<std::string> lines = SplitLines(text, LineEnds::Any);

  // Record by record, as the records are sent.
  std::vector<std::string> sendable;
  std::int64_t counted = 0;
  for (const std::string_view line : lines) {
    if (line.size() >= files::kCountedLength) ++counted;
    if (line.size() >= files::kSendableLength) {
      sendable.emplace_back(line);
      if (line.size() == files::kSendableLength) sendable.back() += "00";
    }
  }
  {
    files::LineReader reader(files::kInquiryFile, files::LineReader::LineEnds::Any);
    std::string record;
    std::size_t next = 0;
    while (files::ReadNextRecord(reader, record)) {
      Check(next < sendable.size(), "more records read than the file holds");
      Check(record == sendable[next], "a record differs from its line in the file");
      Check(record.size() > files::kSendableLength,
            "a record goes out with 56 characters or fewer");
      Check(!Holds(record, "\r") && !Holds(record, "\n"), "a record holds a line end");
      ++next;
    }
    Check(next == sendable.size(), "records of the file were not read");
    Check(reader.AtEnd(), "the reader is not at the end after the last record");
  }

  // Counting.
  {
    files::LineReader reader(files::kInquiryFile, files::LineReader::LineEnds::Any);
    Check(files::CountRecordLines(reader) == counted, "the count of record lines is wrong");
  }
  {
    files::Channels channels;
    const std::int64_t expected =
        std::min<std::int64_t>(counted, std::numeric_limits<std::int16_t>::max());
    Check(files::CountInquiries(channels) == expected,
          "CountInquiries differs from the count of record lines");
    Check(!channels.IsOpen(files::kShortLived), "CountInquiries left channel 1 open");
  }

  // Line by line under every line-end rule, each way of reading taking turns.
  const char marks[2] = {
      size > 0 && data[0] != '\r' ? static_cast<char>(data[0]) : '<',
      size > 1 && data[size - 1] != '\r' ? static_cast<char>(data[size - 1]) : '\n'};
  const std::pair<files::LineReader::LineEnds, LineEnds> rules[] = {
      {files::LineReader::LineEnds::CrOrCrLf, LineEnds::CrOrCrLf},
      {files::LineReader::LineEnds::Lf, LineEnds::Lf},
      {files::LineReader::LineEnds::Any, LineEnds::Any}};
  for (const auto& [readerEnds, ends] : rules) {
    const std::vector<std::string> expected = SplitLines(text, ends);
    files::LineReader reader(files::kInquiryFile, readerEnds);
    std::string copy;
    std::string_view view;
    for (std::size_t i = 0;; ++i) {
      const bool atEnd = reader.AtEnd();
      Check(atEnd == (i == expected.size()), "AtEnd disagrees with the lines left");
      bool got = false;
      switch (i % 3) {
        case 0:
          got = reader.ReadLine(copy);
          view = copy;
          break;
        case 1:
          got = reader.ReadLineView(view);
          break;
        default: {
          bool holds = false;
          got = reader.ReadLineView(view, marks[0], marks[1], holds);
          if (got) {
            const bool expectedHolds = CountOf(view, marks[0]) + CountOf(view, marks[1]) > 0;
            Check(holds == expectedHolds, "ReadLineView misreports the bytes a line holds");
          }
        }
      }
      Check(got == !atEnd, "a read disagrees with AtEnd");
      if (!got) break;
      Check(view == expected[i], "a line read differs from the file's line");
    }
  }
}

void FuzzRequestItems(const std::uint8_t* data, std::size_t size) {
  RemoveWorkingFiles();
  const std::string text = WithFiller(AsText(data, size));
  WriteFile(files::kInquiryFile, text);
  files::Channels channels;
  const std::vector<std::string> items = files::ReadRequestItems(channels);

  std::vector<std::string> expected;
  for (const std::string_view line : SplitLines(text, LineEnds::Any)) {
    const std::size_t before = expected.size();
    files::SplitRequestItems(line, expected);
    const std::size_t count = expected.size() - before;
    const std::size_t commas = CountOf(line, ',');
    Check(count >= 1 && count <= commas + 1, "a line gives more items than commas allow, or none");
    if (Holds(line, "\"")) continue;
    Check(count == commas + 1,
          "a line without quotes does not give one item per comma-separated field");
    for (std::size_t i = before; i < expected.size(); ++i) {
      const std::string& item = expected[i];
      Check(!Holds(item, ","), "an unquoted item holds a comma");
      Check(Holds(line, item), "an unquoted item is not a part of its line");
      Check(item.empty() || (item.front() != ' ' && item.front() != '\t'),
            "an item keeps its leading blanks");
    }
  }
  Check(items == expected, "the file's items differ from its lines' items");

  std::int32_t number = 0;
  for (const std::string& item : items) {
    number = number == std::numeric_limits<std::int16_t>::max() ? 1 : number + 1;
    for (const int n : {number, 9999, 10000, 32767}) {
      const std::string row = files::RequestRow(item, n);
      const std::string digits = std::to_string(n);
      const std::size_t width = std::max<std::size_t>(4, digits.size());
      Check(row.size() == width + 8 + std::min<std::size_t>(item.size(), 35),
            "a row is not the number, the separators and the item's first 35 characters");
      Check(row.compare(width - digits.size(), digits.size(), digits) == 0 &&
                row.find_first_not_of('0') >= width - digits.size(),
            "a row does not start with the number in four digits");
      Check(n > 9999 || row.size() <= 47, "a row is longer than 47 characters");
      Check(row.substr(width, 2) == "  ", "the row's first separator is missing");
    }
  }
}

}  // namespace webaccess::fuzz
