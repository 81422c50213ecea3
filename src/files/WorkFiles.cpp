#include "files/WorkFiles.h"

#include <cerrno>
#include <cstdio>

#include "files/WorkFileError.h"
#include "files/WorkFileNames.h"

namespace webaccess::files {
namespace {

void AppendTwoDigits(std::string& out, int value) {
  out += static_cast<char>('0' + (value / 10) % 10);
  out += static_cast<char>('0' + value % 10);
}

}  // namespace

std::string TraceStamp(const ports::LocalTime& time, char dateSeparator, char timeSeparator) {
  std::string out;
  out.reserve(19);
  AppendTwoDigits(out, time.month);
  out += dateSeparator;
  AppendTwoDigits(out, time.day);
  out += dateSeparator;
  AppendTwoDigits(out, time.year / 100);
  AppendTwoDigits(out, time.year % 100);
  out += ' ';
  AppendTwoDigits(out, time.hour);
  out += timeSeparator;
  AppendTwoDigits(out, time.minute);
  out += timeSeparator;
  AppendTwoDigits(out, time.second);
  return out;
}

void DeleteIfPresent(Channels& channels, const std::string& name) {
  channels.Close(kScratch);
  errno = 0;
  if (std::remove(name.c_str()) != 0 && errno != ENOENT) ThrowWorkFileError("delete", name);
}

void WorkFiles::StartTrace() {
  channels_.Close(kTrace);
  DeleteIfPresent(channels_, kTraceFile);
  channels_.OpenOutput(kTrace, kTraceFile, OutputFile::Mode::Create);
}

void WorkFiles::WriteTrace(std::string_view text) {
  OutputFile* trace = channels_.Output(kTrace);
  if (trace == nullptr) ThrowWorkFileError("write (not open)", kTraceFile);
  std::string line = TraceStamp(clock_.Now(), clock_.DateSeparator(), clock_.TimeSeparator()) + ' ';
  line += text;
  trace->WriteLine(line);
  trace->Flush();
}

void WorkFiles::WriteMessage(std::string_view text) {
  OutputFile* message = channels_.Output(kMessage);
  if (message == nullptr) ThrowWorkFileError("write (not open)", kMessageFile);
  message->WriteLine(text);
  message->Flush();
}

void WorkFiles::ResetWorkFiles() {
  channels_.Close(kMessage);
  DeleteIfPresent(channels_, kMessageFile);
  channels_.OpenOutput(kMessage, kMessageFile, OutputFile::Mode::Create);

  channels_.Close(kAudit);
  DeleteIfPresent(channels_, kAuditFile);
  channels_.OpenOutput(kAudit, kAuditFile, OutputFile::Mode::Create);

  DeleteIfPresent(channels_, kResponseBackup);
  // Creates an empty RESPONSE.QDK when there is none, so that the rename
  // below always has a file to move.
  channels_.OpenOutput(kScratch, kResponseFile, OutputFile::Mode::Append);
  channels_.Close(kScratch);
  errno = 0;
  if (std::rename(kResponseFile, kResponseBackup) != 0) {
    ThrowWorkFileError(std::string("rename to ") + kResponseBackup, kResponseFile);
  }
}

}  // namespace webaccess::files
