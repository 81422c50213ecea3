// The edges of the buffered work-file reading and writing that the fuzz
// targets reach only by chance: line ends split between two reads, lines
// longer than a read, writes larger than the buffer, a full device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "files/LineReader.h"
#include "files/OutputFile.h"
#include "files/WorkFileError.h"

namespace webaccess::fuzz {
namespace {

using files::LineReader;
using files::OutputFile;

constexpr std::size_t kRead = 1 << 16;  // the readers' buffer

TEST(FindEitherByte, FindsTheFirstOfTwoBytesAtEveryPositionAndLength) {
  for (std::size_t size = 0; size <= 140; ++size) {
    std::string text(size, 'x');
    EXPECT_EQ(files::FindEitherByte(text.data(), size, '\r', '<'), nullptr) << size;
    for (std::size_t at = 0; at < size; ++at) {
      text.assign(size, 'x');
      text[at] = at % 2 == 0 ? '<' : '\r';
      if (at + 1 < size) text[at + 1] = '<';  // a later hit must not win
      EXPECT_EQ(files::FindEitherByte(text.data(), size, '\r', '<'), text.data() + at)
          << "size " << size << ", hit at " << at;
    }
  }
}

class WorkFileEdges : public ::testing::Test {
 protected:
  std::vector<std::string> ReadAll(LineReader::LineEnds ends, int way) {
    LineReader reader("LINES", ends);
    std::vector<std::string> lines;
    std::string copy;
    std::string_view view;
    bool holds = false;
    while (way == 0   ? reader.ReadLine(copy)
           : way == 1 ? reader.ReadLineView(view)
                      : reader.ReadLineView(view, '\n', '<', holds)) {
      lines.emplace_back(way == 0 ? std::string_view(copy) : view);
      if (way == 2) {
        EXPECT_EQ(holds, lines.back().find_first_of("\n<") != std::string::npos) << lines.size();
      }
    }
    return lines;
  }

  ScratchDirectory scratch_;
};

TEST_F(WorkFileEdges, CrLfSplitBetweenTwoReadsEndsOneLine) {
  // The CR is the last byte of the first read, its LF the first of the next.
  const std::string first(kRead - 1, 'A');
  WriteFile("LINES", first + "\r\nNEXT\r\n");
  for (const auto ends : {LineReader::LineEnds::CrOrCrLf, LineReader::LineEnds::Any}) {
    for (int way = 0; way < 3; ++way) {
      EXPECT_EQ(ReadAll(ends, way), (std::vector<std::string>{first, "NEXT"})) << way;
    }
  }
}

TEST_F(WorkFileEdges, LineLongerThanTwoReadsKeepsEveryByteAndItsMarks) {
  std::string huge(2 * kRead + 100, 'B');
  huge[kRead + 7] = '<';
  WriteFile("LINES", "SHORT\r" + huge + "\r\nLAST");
  for (int way = 0; way < 3; ++way) {
    EXPECT_EQ(ReadAll(LineReader::LineEnds::CrOrCrLf, way),
              (std::vector<std::string>{"SHORT", huge, "LAST"}))
        << way;
  }
}

TEST_F(WorkFileEdges, LoneCrAtTheEndOfTheFileEndsTheLastLine) {
  WriteFile("LINES", std::string(kRead - 1, 'C') + "\r");
  for (int way = 0; way < 3; ++way) {
    EXPECT_EQ(ReadAll(LineReader::LineEnds::Any, way),
              (std::vector<std::string>{std::string(kRead - 1, 'C')}))
        << way;
  }
}

TEST_F(WorkFileEdges, WritesOfEverySizeArriveInOrder) {
  std::string expected;
  {
    OutputFile out("OUT", OutputFile::Mode::Create);
    for (const std::size_t size : {std::size_t{10}, kRead - 5, std::size_t{3}, kRead + kRead / 2,
                                   3 * kRead, std::size_t{0}}) {
      const std::string text(size, static_cast<char>('a' + size % 26));
      out.WriteLine(text);
      out.Write(text);
      expected += text + "\r\n" + text;
    }
    out.Close();
  }
  EXPECT_EQ(ReadFile("OUT"), expected);
}

TEST_F(WorkFileEdges, AppendKeepsCreateEmptiesAndAnUnclosedFileIsStillWritten) {
  WriteFile("OUT", "BEFORE\r\n");
  {
    OutputFile out("OUT", OutputFile::Mode::Append);
    out.WriteLine("AFTER");
  }  // not closed: the program ends without closing its files
  EXPECT_EQ(ReadFile("OUT"), "BEFORE\r\nAFTER\r\n");
  OutputFile created("OUT", OutputFile::Mode::Create);
  created.Close();
  EXPECT_EQ(ReadFile("OUT"), "");
}

TEST_F(WorkFileEdges, AFullDeviceIsReportedByFlushAndByClose) {
  OutputFile flushed("/dev/full", OutputFile::Mode::Append);
  flushed.WriteLine("LOST");
  EXPECT_THROW(flushed.Flush(), files::WorkFileError);

  OutputFile closed("/dev/full", OutputFile::Mode::Append);
  closed.Write(std::string(10, 'x'));
  EXPECT_THROW(closed.Close(), files::WorkFileError);
  EXPECT_THROW(closed.Write("x"), files::WorkFileError);  // closed for good

  OutputFile large("/dev/full", OutputFile::Mode::Append);
  EXPECT_THROW(large.Write(std::string(2 * kRead, 'x')), files::WorkFileError);
}

}  // namespace
}  // namespace webaccess::fuzz
