#include "files/ConvertDownload.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "files/WorkFileError.h"
#include "files/WorkFileNames.h"
#include "os/FileSystem.h"

namespace webaccess::files {
namespace {

// Pending events run at most this often during a conversion.
constexpr std::int64_t kEventSliceMs = 10;
// The clock is read once this many bytes of lines have been handled: a few
// microseconds of work, where reading it at every line took a twentieth of
// the conversion's time.
constexpr std::size_t kBytesBetweenClockReadings = 32 * 1024;

std::string_view Mid(std::string_view text, std::size_t from, std::size_t length) {
  return from < text.size() ? text.substr(from, length) : std::string_view{};
}

// True when `tag`, which begins with '<', stands anywhere in the piece.
bool HoldsTag(std::string_view piece, std::string_view tag) {
  const char* p = piece.data();
  const char* const end = p + piece.size();
  while (static_cast<std::size_t>(end - p) >= tag.size()) {
    p = static_cast<const char*>(
        std::memchr(p, '<', static_cast<std::size_t>(end - p) - tag.size() + 1));
    if (p == nullptr) return false;
    if (std::memcmp(p, tag.data(), tag.size()) == 0) return true;
    ++p;
  }
  return false;
}

char* PutTwoDigits(char* out, int value) {
  out[0] = static_cast<char>('0' + (value / 10) % 10);
  out[1] = static_cast<char>('0' + value % 10);
  return out + 2;
}

// "MM/DD/YYhh:mm:ss", the audit line's date and time.
void AssignAuditStamp(std::string& out, const ports::LocalTime& t) {
  char stamp[16];
  char* p = PutTwoDigits(stamp, t.month);
  *p++ = '/';
  p = PutTwoDigits(p, t.day);
  *p++ = '/';
  p = PutTwoDigits(p, t.year % 100);
  p = PutTwoDigits(p, t.hour);
  *p++ = ':';
  p = PutTwoDigits(p, t.minute);
  *p++ = ':';
  PutTwoDigits(p, t.second);
  out.assign(stamp, sizeof stamp);
}

class Converter {
 public:
  Converter(WorkFiles& files, const ports::Clock& clock, std::string_view userId,
            OutputFile& response, OutputFile& audit)
      : files_(files), clock_(clock), userId_(userId), response_(response), audit_(audit) {}

  void HandlePiece(std::string_view piece) {
    // Most pieces are body lines; none of the tags can stand in a piece
    // without a '<'.
    if (std::memchr(piece.data(), '<', piece.size()) == nullptr) {
      response_.WriteLine(piece);
    } else if (HoldsTag(piece, "<MESG>")) {
      files_.WriteMessage(Mid(piece, 6, std::string_view::npos));
    } else if (HoldsTag(piece, "<NEW>")) {
      WritePendingAudit();
      recordBegun_ = true;
      errorCode_ = "00";
      const std::string_view header = Mid(piece, 5, std::string_view::npos);
      // The stamp is worked out again only when the time has moved on.
      const ports::LocalTime now = clock_.Now();
      if (now != stampTime_) {
        stampTime_ = now;
        AssignAuditStamp(stamp_, now);
      }
      pendingAudit_ = stamp_;
      pendingAudit_ += userId_;
      pendingAudit_ += Mid(header, 45, 2);
      pendingAudit_ += Mid(header, 20, 15);
      pendingAudit_ += Mid(header, 0, 19);
    } else if (HoldsTag(piece, "<ERR>")) {
      errorCode_ = Mid(piece, 5, 2);
    } else if (HoldsTag(piece, "<COMPLETED>")) {
      completedSeen_ = true;
    } else {
      response_.WriteLine(piece);
    }
  }

  // Splits a line read from the file into its LF-separated pieces.
  void HandleLine(std::string_view line) {
    while (!line.empty()) {
      const std::size_t lf = line.find('\n');
      if (lf == std::string_view::npos) {
        HandlePiece(line);
        return;
      }
      HandlePiece(line.substr(0, lf));
      line.remove_prefix(lf + 1);
    }
  }

  void HandleBody(std::string_view piece) { response_.WriteLine(piece); }

  void WritePendingAudit() {
    if (!recordBegun_) return;
    audit_.Write(pendingAudit_);
    audit_.WriteLine(errorCode_);
  }

  bool completedSeen() const { return completedSeen_; }

 private:
  WorkFiles& files_;
  const ports::Clock& clock_;
  std::string_view userId_;
  OutputFile& response_;
  OutputFile& audit_;
  bool recordBegun_ = false;
  bool completedSeen_ = false;
  std::string pendingAudit_;
  std::string errorCode_;
  ports::LocalTime stampTime_{0, 0, 0, 0, 0, 0};  // no real time: the first header sets it
  std::string stamp_;
};

}  // namespace

bool ConvertDownload(WorkFiles& files, const ports::Clock& clock, std::string_view userId,
                     const std::function<void()>& passEvents) {
  Channels& channels = files.channels();
  channels.Close(kShortLived);
  // The download and the response file are held here, not in the channel
  // table: events that run between lines (the request list among them) reuse
  // the short-lived channels and must not close these under the conversion.
  // A file without a single CR has LF line ends: each of its lines is one piece.
  const bool lfLines = !FileHoldsCr(kDownloadFile);
  LineReader download(kDownloadFile,
                      lfLines ? LineReader::LineEnds::Lf : LineReader::LineEnds::CrOrCrLf);
  std::string_view line;
  download.ReadLineView(line);
  download.ReadLineView(line);

  OutputFile* audit = channels.Output(kAudit);
  if (audit == nullptr) ThrowWorkFileError("write (not open)", kAuditFile);
  channels.Close(kResponse);
  const bool responseCreated = os::FileSize(kResponseFile) < 0;
  OutputFile response(kResponseFile, OutputFile::Mode::Append);
  Converter converter(files, clock, userId, response, *audit);

  std::int64_t lastPass = clock.CoarseMilliseconds() - kEventSliceMs;
  std::size_t bytesSinceReading = kBytesBetweenClockReadings;  // the first line reads it
  // Most lines are a single body piece: no LF that would split them, no '<'
  // that could begin a tag.
  bool special = true;
  // Such lines, ended by CR LF and not empty, are written as they stand in
  // the file: a run of them read one after another goes out in one piece.
  std::string_view run;
  for (;;) {
    const std::string_view plain = lfLines ? std::string_view{} : download.ReadPlainLine('<');
    if (plain.empty()) {
      response.Write(run);
      run = {};
      if (!(lfLines ? download.ReadLineView(line)
                    : download.ReadLineView(line, '\n', '<', special))) {
        break;
      }
    }
    bytesSinceReading += plain.empty() ? line.size() + 2 : plain.size();
    if (bytesSinceReading >= kBytesBetweenClockReadings) {
      bytesSinceReading = 0;
      const std::int64_t now = clock.CoarseMilliseconds();
      if (now - lastPass >= kEventSliceMs) {
        passEvents();
        lastPass = now;
      }
    }
    if (!plain.empty()) {
      run = run.empty() ? plain : std::string_view(run.data(), run.size() + plain.size());
      continue;
    }
    if (lfLines) {
      converter.HandlePiece(line);
    } else if (special) {
      converter.HandleLine(line);
    } else if (!line.empty()) {
      converter.HandleBody(line);
    }
  }
  converter.WritePendingAudit();

  response.Sync();
  response.Close();
  if (OutputFile* audited = channels.Output(kAudit)) audited->Sync();
  if (OutputFile* message = channels.Output(kMessage)) message->Sync();
  // A RESPONSE.QDK created by this conversion exists for good only once its
  // directory entry is on the disk, before anything asks the server to delete.
  if (responseCreated) SyncWorkingDirectory();
  return converter.completedSeen();
}

}  // namespace webaccess::files
