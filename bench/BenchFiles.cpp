#include "BenchFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace webaccess::bench {
namespace {

std::string scratchDirectory;

void RemoveScratchDirectory() {
  if (scratchDirectory.empty()) return;
  std::error_code ignored;
  std::filesystem::current_path("/", ignored);
  std::filesystem::remove_all(scratchDirectory, ignored);
}

// A small, fast generator: the files must be the same in every run.
class Random {
 public:
  explicit Random(std::uint64_t state) : state_(state) {}
  std::uint64_t Next() {
    state_ += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // A whole number from `low` to `high`, both included.
  std::size_t Between(std::size_t low, std::size_t high) {
    return low + static_cast<std::size_t>(Next() % (high - low + 1));
  }
  bool OneIn(std::uint64_t n) { return Next() % n == 0; }

 private:
  std::uint64_t state_;
};

void AppendText(std::string& out, Random& random, std::size_t length) {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789      ./-";
  for (std::size_t i = 0; i < length; ++i) {
    out += kChars[random.Next() % (sizeof kChars - 1)];
  }
}

class Writer {
 public:
  explicit Writer(const std::string& name) : file_(std::fopen(name.c_str(), "wb")) {
    if (file_ == nullptr) throw std::runtime_error("cannot create " + name);
  }
  ~Writer() {
    if (file_ != nullptr) std::fclose(file_);
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Writes `line` and CR LF.
  void Line(std::string& line) {
    line += "\r\n";
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size()) {
      throw std::runtime_error("cannot write a generated file");
    }
    result.bytes += line.size();
    ++result.lines;
    line.clear();
  }
  GeneratedFile Finish() {
    if (std::fclose(file_) != 0) throw std::runtime_error("cannot write a generated file");
    file_ = nullptr;
    return result;
  }

  GeneratedFile result;

 private:
  std::FILE* file_;
};

}  // namespace

void EnterScratchDirectory() {
  if (!scratchDirectory.empty()) return;
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/webaccess-bench-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create " + pattern);
  scratchDirectory = pattern;
  std::atexit(RemoveScratchDirectory);
  std::filesystem::current_path(scratchDirectory);
}

GeneratedFile WriteDownload(const std::string& name, std::uint64_t targetBytes) {
  Random random(20240611);
  Writer out(name);
  std::string line;
  line = "VNL RESPONSE FILE 1.15";
  out.Line(line);
  line = "1234567ABC123 PREPARED 06/11/24 10:15:00";
  out.Line(line);

  std::uint64_t recordNumber = 0;
  while (out.result.bytes < targetBytes) {
    ++recordNumber;
    ++out.result.records;
    // The header: plate or name (19), a blank, the file number (15), ten
    // more characters, the state (2) and a few more.
    line = "<NEW>";
    AppendText(line, random, 19);
    line += ' ';
    AppendText(line, random, 15);
    AppendText(line, random, 10);
    line += "CA";
    AppendText(line, random, random.Between(5, 12));
    out.Line(line);

    if (recordNumber % 20000 == 0) {
      line = "<MESG>THE SERVER WILL BE DOWN FOR MAINTENANCE TONIGHT AT 11 PM";
      out.Line(line);
    }
    const std::size_t bodyLines = random.Between(3, 10);
    const bool onePhysicalLine = random.OneIn(10);
    for (std::size_t i = 0; i < bodyLines; ++i) {
      if (onePhysicalLine && i > 0) line += '\n';
      AppendText(line, random, random.Between(72, 88));
      if (!onePhysicalLine) out.Line(line);
    }
    if (onePhysicalLine) out.Line(line);
    if (random.OneIn(20)) {
      line = "<ERR>17";
      out.Line(line);
    }
  }
  line = "<COMPLETED>";
  out.Line(line);
  return out.Finish();
}

GeneratedFile WriteInquiries(const std::string& name, std::uint64_t lines) {
  Random random(19991231);
  Writer out(name);
  std::string line;
  for (std::uint64_t i = 0; i < lines; ++i) {
    const std::uint64_t kind = random.Next() % 100;
    std::size_t length = 0;
    if (kind < 90) {
      length = random.Between(58, 120);
    } else if (kind < 94) {
      length = random.Between(51, 55);
    } else if (kind < 98) {
      length = random.Between(1, 50);
    }
    if (length >= 51) ++out.result.records;
    AppendText(line, random, length);
    out.Line(line);
  }
  return out.Finish();
}

std::uint64_t FileSize(const std::string& name) {
  struct stat status {};
  if (::stat(name.c_str(), &status) != 0) return 0;
  return static_cast<std::uint64_t>(status.st_size);
}

}  // namespace webaccess::bench
