#include <windows.h>

#include "batch/StopSignal.h"
#include "batch/Terminal.h"

namespace webaccess::batch {

// A console, not a file or a pipe, can be asked.
bool StdTerminal::CanAsk() const {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != FALSE;
}

// The console's keys are read one by one, so that the deadline holds in the
// middle of a line too; the line is echoed and edited (Backspace) here. Ctrl+C
// does not come through: the console turns it into the stop request, which
// ends the reading with no input, as the signal does on Linux.
StdTerminal::LineEnd StdTerminal::ReadLine(
    std::string& line, std::optional<std::chrono::steady_clock::time_point> deadline) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  const HANDLE echo = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  struct Closer {
    HANDLE handle;
    ~Closer() {
      if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
  } closer{echo};
  const auto show = [echo](const char* text, DWORD size) {
    DWORD written = 0;
    if (echo != INVALID_HANDLE_VALUE) WriteConsoleA(echo, text, size, &written, nullptr);
  };
  for (;;) {
    if (StopSignal() != 0) return LineEnd::NoInput;
    const int left = WaitMs(deadline);
    if (left == 0) return LineEnd::TimeUp;
    const DWORD wait = left < 0 ? INFINITE : static_cast<DWORD>(left);
    // What is there is read at once; the wait is in short steps, since
    // Wine's console does not wake a wait for keys that came before it.
    DWORD pending = 0;
    if (!GetNumberOfConsoleInputEvents(input, &pending)) return LineEnd::NoInput;
    if (pending == 0) {
      const DWORD ready = WaitForSingleObject(input, wait < 100 ? wait : 100);
      if (ready == WAIT_FAILED) return LineEnd::NoInput;
      continue;  // the deadline is checked above
    }
    INPUT_RECORD record{};
    DWORD count = 0;
    if (!ReadConsoleInputA(input, &record, 1, &count)) return LineEnd::NoInput;
    if (count == 0 || record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    const char c = record.Event.KeyEvent.uChar.AsciiChar;
    for (WORD times = 0; times < record.Event.KeyEvent.wRepeatCount; ++times) {
      // Enter; or Ctrl+Enter, which is also what Wine's console makes of a
      // line end that the terminal under it turned into LF.
      if (c == '\r' || c == '\n') {
        show("\r\n", 2);
        return LineEnd::Line;
      }
      if (c == '\b' && !line.empty()) {
        line.pop_back();
        show("\b \b", 3);
      } else if (c >= ' ' && c <= '~') {
        line += c;
        show(&c, 1);
      }
    }
  }
}

}  // namespace webaccess::batch
