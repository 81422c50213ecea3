#pragma once

#include <string>

namespace webaccess::ports {

// Ends the program. The caller has already closed and flushed its work files.
class Process {
 public:
  virtual ~Process() = default;
  // Leaves the process at once, from inside whatever event loop is running.
  [[noreturn]] virtual void EndAtOnce() = 0;
  // Unloads the main window; the program ends when its last window is gone.
  virtual void UnloadMainWindow() = 0;
  // A work file could not be created, written, renamed or deleted: reports
  // the failure to the user and ends the process.
  [[noreturn]] virtual void Fail(const std::string& report) = 0;
};

}  // namespace webaccess::ports
