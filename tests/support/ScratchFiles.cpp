#include "support/ScratchFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace webaccess::testing {

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory(std::string_view prefix)
    : previous_(fs::current_path().string()) {
  // A fresh name that nobody else has taken: creating the directory is the test.
  std::random_device random;
  for (int attempt = 0;; ++attempt) {
    const fs::path candidate =
        fs::temp_directory_path() / (std::string(prefix) + "-" + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      break;
    }
    if (error || attempt == 100) {
      throw std::runtime_error("cannot create a scratch directory " + candidate.string());
    }
  }
  fs::current_path(path_);
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
  fs::remove_all(path_, ignored);
}

void WriteFile(const std::string& name, std::string_view bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + name);
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace webaccess::testing
