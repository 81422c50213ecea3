// Converting a large download against copying the same file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "BenchFiles.h"
#include "files/ConvertDownload.h"
#include "files/WorkFileNames.h"
#include "files/WorkFiles.h"
#include "platform/system/SystemClock.h"

namespace webaccess::bench {
namespace {

constexpr std::uint64_t kDownloadBytes = 100ULL << 20;
constexpr std::size_t kChunk = 64 * 1024;
constexpr const char* kCopyFile = "COPY.TXT";

const GeneratedFile& Download() {
  static const GeneratedFile file = [] {
    EnterScratchDirectory();
    return WriteDownload(files::kDownloadFile, kDownloadBytes);
  }();
  return file;
}

// Copies the download in 64 KiB chunks and puts the copy on the disk, as the
// conversion does with its output.
bool CopyFile(const char* from, const char* to, std::vector<char>& buffer) {
  std::FILE* in = std::fopen(from, "rb");
  std::FILE* out = std::fopen(to, "wb");
  bool ok = in != nullptr && out != nullptr;
  while (ok) {
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in);
    if (got == 0) break;
    ok = std::fwrite(buffer.data(), 1, got, out) == got;
  }
  if (out != nullptr) {
    ok = ok && std::fflush(out) == 0 && ::fsync(fileno(out)) == 0;
    ok = std::fclose(out) == 0 && ok;
  }
  if (in != nullptr) ok = !std::ferror(in) && std::fclose(in) == 0 && ok;
  return ok;
}

void DownloadCopy(benchmark::State& state) {
  const GeneratedFile& download = Download();
  std::vector<char> buffer(kChunk);
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(kCopyFile);
    state.ResumeTiming();
    if (!CopyFile(files::kDownloadFile, kCopyFile, buffer)) {
      state.SkipWithError("the copy failed");
      break;
    }
  }
  if (FileSize(kCopyFile) != download.bytes) state.SkipWithError("the copy is incomplete");
  std::remove(kCopyFile);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(download.bytes));
}

void DownloadConvert(benchmark::State& state) {
  const GeneratedFile& download = Download();
  platform::SystemClock clock;
  files::WorkFiles workFiles(clock);
  const std::function<void()> passEvents = [] {};
  bool completed = false;
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(files::kResponseFile);
    workFiles.ResetWorkFiles();  // fresh audit and message files
    std::remove(files::kResponseBackup);
    state.ResumeTiming();
    completed = files::ConvertDownload(workFiles, clock, "ABC123", passEvents);
  }
  // Every record gave an audit line of 60 characters and CR LF; the body
  // lines are most of the download.
  const std::uint64_t auditBytes = FileSize(files::kAuditFile);
  const std::uint64_t responseBytes = FileSize(files::kResponseFile);
  if (!completed || auditBytes != download.records * 62 || responseBytes < download.bytes / 2) {
    state.SkipWithError("the conversion's output is not what the download holds");
  }
  workFiles.channels().CloseAllQuietly();
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(download.bytes));
  state.counters["lines"] = static_cast<double>(download.lines);
  state.counters["records"] = static_cast<double>(download.records);
}

BENCHMARK(DownloadCopy)->Name("Download/Copy")->Unit(benchmark::kMillisecond);
BENCHMARK(DownloadConvert)->Name("Download/Convert")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace webaccess::bench
