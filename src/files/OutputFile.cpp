#include "files/OutputFile.h"

#include <unistd.h>

#include "files/WorkFileError.h"

namespace webaccess::files {
namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

OutputFile::OutputFile(const std::string& name, Mode mode) : name_(name) {
  file_ = std::fopen(name.c_str(), mode == Mode::Create ? "wb" : "ab");
  if (file_ == nullptr) ThrowWorkFileError("open", name_);
  std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void OutputFile::Write(std::string_view bytes) {
  if (file_ == nullptr) ThrowWorkFileError("write (not open)", name_);
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    ThrowWorkFileError("write", name_);
  }
}

void OutputFile::WriteLine(std::string_view text) {
  Write(text);
  Write("\r\n");
}

void OutputFile::Flush() {
  if (file_ != nullptr && std::fflush(file_) != 0) ThrowWorkFileError("write", name_);
}

void OutputFile::Sync() {
  Flush();
  if (file_ != nullptr && ::fsync(fileno(file_)) != 0) ThrowWorkFileError("sync", name_);
}

void OutputFile::Close() {
  if (file_ == nullptr) return;
  std::FILE* file = file_;
  file_ = nullptr;
  if (std::fclose(file) != 0) ThrowWorkFileError("close", name_);
}

}  // namespace webaccess::files
