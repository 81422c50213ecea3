#pragma once

#include <QPointer>
#include <string>

#include "ports/Process.h"

class QWidget;

namespace webaccess::platform {

// Ends the program on the toolkit.
class QtProcess final : public ports::Process {
 public:
  // How the process is left, with its exit status; it does not return.
  using Leave = void (*)(int status);
  static constexpr int kFailStatus = 70;

  explicit QtProcess(QWidget* mainWindow, Leave leave = &LeaveNow);

  // Flushes the standard streams and leaves the process at once, with
  // status 0: no window is closed and no unload runs.
  [[noreturn]] void EndAtOnce() override;
  // Closes the main window, whose close runs its unload; the event loop ends
  // when the last window is gone.
  void UnloadMainWindow() override;
  // Prints the report to the standard error, shows it in a box with the
  // critical icon titled "webaccess", and leaves the process with status 70.
  [[noreturn]] void Fail(const std::string& report) override;

  static void LeaveNow(int status);

 private:
  QPointer<QWidget> mainWindow_;
  Leave leave_;
};

}  // namespace webaccess::platform
