#include "files/OutputFile.h"

#include <cerrno>
#include <cstring>

#include "files/WorkFileError.h"

namespace webaccess::files {

OutputFile::OutputFile(const std::string& name, Mode mode) : name_(name) {
  file_ =
      os::File::Open(name, mode == Mode::Create ? os::File::Mode::Create : os::File::Mode::Append);
  if (!file_.IsOpen()) ThrowWorkFileError("open", name_);
}

OutputFile::~OutputFile() {
  if (!file_.IsOpen()) return;
  WriteOut(buffer_.get(), used_);
}

bool OutputFile::WriteOut(const char* data, std::size_t size) { return file_.WriteAll(data, size); }

void OutputFile::Write(std::string_view bytes) {
  if (!file_.IsOpen()) ThrowWorkFileError("write (not open)", name_);
  if (bytes.size() > kBufferSize - used_) {
    Flush();
    if (bytes.size() >= kBufferSize) {
      unsynced_ = true;
      if (!WriteOut(bytes.data(), bytes.size())) ThrowWorkFileError("write", name_);
      return;
    }
  }
  if (bytes.empty()) return;  // an empty view may hold no address at all
  unsynced_ = true;
  std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void OutputFile::Flush() {
  if (!file_.IsOpen() || used_ == 0) return;
  const std::size_t size = used_;
  used_ = 0;  // what fails to go out is reported, not written again
  if (!WriteOut(buffer_.get(), size)) ThrowWorkFileError("write", name_);
}

void OutputFile::Sync() {
  Flush();
  if (!file_.IsOpen() || !unsynced_) return;
  if (!file_.SyncData()) ThrowWorkFileError("sync", name_);
  unsynced_ = false;
}

void OutputFile::Close() {
  if (!file_.IsOpen()) return;
  bool ok = WriteOut(buffer_.get(), used_);
  int error = errno;
  used_ = 0;
  if (!file_.Close() && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    errno = error;
    ThrowWorkFileError("close", name_);
  }
}

void SyncWorkingDirectory() {
  switch (os::SyncDirectory(".")) {
    case os::DirectorySync::Done:
      return;
    case os::DirectorySync::CannotOpen:
      ThrowWorkFileError("open", ".");
    case os::DirectorySync::CannotSync:
      ThrowWorkFileError("sync", ".");
  }
}

}  // namespace webaccess::files
