#pragma once

namespace webaccess::files {

// The work files, by bare name in the working directory.
inline constexpr const char* kTraceFile = "TRACE.QDK";
inline constexpr const char* kInquiryFile = "INQUIRY.QDK";
inline constexpr const char* kMessageFile = "MESSAGE.QDK";
inline constexpr const char* kAuditFile = "AUDIT.QDK";
inline constexpr const char* kResponseFile = "RESPONSE.QDK";
inline constexpr const char* kResponseBackup = "RESPONSE.BAK";
inline constexpr const char* kDownloadFile = "DOWN.TXT";
// A download while it comes in; it becomes DOWN.TXT once it is whole.
inline constexpr const char* kDownloadScratch = "DOWN.TMP";

}  // namespace webaccess::files
