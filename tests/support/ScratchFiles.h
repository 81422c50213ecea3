#pragma once

#include <string>
#include <string_view>

// Work files for tests and fuzz targets: standard C++ only, so that the fuzz
// build (its own copy of the core, under clang) can share it.
namespace webaccess::testing {

// Makes a fresh directory under $TMPDIR (or /tmp) the working directory, as
// long as it lives; then returns to the directory before and removes it.
class ScratchDirectory {
 public:
  explicit ScratchDirectory(std::string_view prefix = "webaccess");
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string previous_;
  std::string path_;
};

// Writes the bytes as the whole file; throws when they cannot be written.
void WriteFile(const std::string& name, std::string_view bytes);
// The whole file; empty when it is missing.
std::string ReadFile(const std::string& name);

}  // namespace webaccess::testing
