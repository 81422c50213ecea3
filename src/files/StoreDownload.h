#pragma once

#include <string>

#include "files/Channels.h"
#include "ports/Transfer.h"

namespace webaccess::files {

// Fetches the server's response file as DOWN.TXT, byte for byte. The bytes go
// to a scratch file as they arrive, which replaces DOWN.TXT only once the whole
// file is in: a failed transfer leaves DOWN.TXT as it was and the scratch file
// gone. A work file that cannot be written throws WorkFileError.
ports::TransferResult StoreDownload(Channels& channels, ports::Transfer& transfer,
                                    const std::string& url);

}  // namespace webaccess::files
