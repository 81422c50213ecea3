// Counting the records of a large inquiry file against counting its lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "BenchFiles.h"
#include "files/InquiryFile.h"
#include "files/LineReader.h"
#include "files/WorkFileNames.h"

namespace webaccess::bench {
namespace {

constexpr std::uint64_t kInquiryLines = 1'000'000;
constexpr std::size_t kChunk = 64 * 1024;

const GeneratedFile& Inquiries() {
  static const GeneratedFile file = [] {
    EnterScratchDirectory();
    return WriteInquiries(files::kInquiryFile, kInquiryLines);
  }();
  return file;
}

// The plain way to count lines: 64 KiB chunks with fread, LF bytes found with
// memchr.
std::uint64_t CountLines(const char* name, std::vector<char>& buffer) {
  std::FILE* in = std::fopen(name, "rb");
  if (in == nullptr) return 0;
  std::uint64_t lines = 0;
  for (;;) {
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in);
    if (got == 0) break;
    const char* p = buffer.data();
    const char* const end = p + got;
    while ((p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr) {
      ++lines;
      ++p;
    }
  }
  std::fclose(in);
  return lines;
}

void InquiryCountLines(benchmark::State& state) {
  const GeneratedFile& inquiries = Inquiries();
  std::vector<char> buffer(kChunk);
  std::uint64_t lines = 0;
  for (auto _ : state) {
    lines = CountLines(files::kInquiryFile, buffer);
    benchmark::DoNotOptimize(lines);
  }
  if (lines != inquiries.lines) state.SkipWithError("wrong number of lines");
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(inquiries.bytes));
}

void InquiryCountRecords(benchmark::State& state) {
  const GeneratedFile& inquiries = Inquiries();
  std::int64_t records = 0;
  for (auto _ : state) {
    files::LineReader reader(files::kInquiryFile, files::LineReader::LineEnds::Any);
    records = files::CountRecordLines(reader);
    benchmark::DoNotOptimize(records);
  }
  if (records != static_cast<std::int64_t>(inquiries.records)) {
    state.SkipWithError("wrong number of records");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(inquiries.bytes));
  state.counters["lines"] = static_cast<double>(inquiries.lines);
  state.counters["records"] = static_cast<double>(inquiries.records);
}

BENCHMARK(InquiryCountLines)->Name("Inquiry/CountLines")->Unit(benchmark::kMillisecond);
BENCHMARK(InquiryCountRecords)->Name("Inquiry/CountRecords")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace webaccess::bench
