#include "files/StoreDownload.h"

#include <cerrno>
#include <exception>
#include <string_view>

#include "files/WorkFileError.h"
#include "files/WorkFileNames.h"
#include "files/WorkFiles.h"
#include "os/FileSystem.h"

namespace webaccess::files {

ports::TransferResult StoreDownload(Channels& channels, ports::Transfer& transfer,
                                    const std::string& url) {
  channels.Close(kShortLived);
  DeleteIfPresent(channels, kDownloadScratch);
  OutputFile& scratch =
      channels.OpenOutput(kShortLived, kDownloadScratch, OutputFile::Mode::Create);
  // A failed write stops the transfer and is reported once it has returned.
  std::exception_ptr writeFailure;
  ports::TransferResult result = transfer.Download(url, [&](const char* data, std::size_t size) {
    try {
      scratch.Write(std::string_view(data, size));
      return true;
    } catch (...) {
      writeFailure = std::current_exception();
      return false;
    }
  });
  if (writeFailure) std::rethrow_exception(writeFailure);
  channels.Close(kShortLived);
  if (!result.ok) {
    DeleteIfPresent(channels, kDownloadScratch);
    return result;
  }
  // The old file goes first, so that the rename replaces nothing: a rename
  // over an existing file makes some file systems (ext4) start writing the
  // new one out at once, which the conversion's syncs would then wait for.
  DeleteIfPresent(channels, kDownloadFile);
  errno = 0;
  if (!os::RenameOver(kDownloadScratch, kDownloadFile)) {
    ThrowWorkFileError(std::string("rename to ") + kDownloadFile, kDownloadScratch);
  }
  return result;
}

}  // namespace webaccess::files
