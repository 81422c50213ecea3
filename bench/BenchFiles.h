#pragma once

#include <cstdint>
#include <string>

namespace webaccess::bench {

// Times are the process's CPU time, user and system: the files live in a
// scratch directory (in memory when scripts/bench.sh runs them), so nothing
// waits on a disk, and other programs on the machine stay out of the figures.
//
// The benchmarks work on bare file names, like the program: the first call
// creates a scratch directory under $TMPDIR (or /tmp), makes it the working
// directory and removes it again when the process ends.
void EnterScratchDirectory();

struct GeneratedFile {
  std::uint64_t bytes = 0;
  std::uint64_t lines = 0;    // line ends written
  std::uint64_t records = 0;  // response records, or inquiry lines long enough to count
};

// A response download of about `targetBytes`: two header lines, then records
// of a "<NEW>" header piece and 3 to 10 body lines, some with an "<ERR>"
// piece, a few server messages, some lines holding several LF-separated
// pieces, "<COMPLETED>" at the end; CR LF line ends. The same bytes every run.
GeneratedFile WriteDownload(const std::string& name, std::uint64_t targetBytes);

// An inquiry file of `lines` CR LF lines: mostly records of 58 to 120
// characters, some of 51 to 55 (counted, never sent), some short and some
// empty lines. The same bytes every run.
GeneratedFile WriteInquiries(const std::string& name, std::uint64_t lines);

// Size of a file in bytes; 0 when it is missing.
std::uint64_t FileSize(const std::string& name);

}  // namespace webaccess::bench
