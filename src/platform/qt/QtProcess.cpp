#include "platform/qt/QtProcess.h"

#include <QMessageBox>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "platform/qt/DisplayText.h"

namespace webaccess::platform {

QtProcess::QtProcess(QWidget* mainWindow, Leave leave) : mainWindow_(mainWindow), leave_(leave) {}

void QtProcess::LeaveNow(int status) {
  // Destructors do not run: this is called from inside event handlers and
  // nested event loops, with the web engine still going.
  std::_Exit(status);
}

void QtProcess::EndAtOnce() {
  std::fflush(nullptr);
  leave_(0);
  std::abort();  // a Leave does not return
}

void QtProcess::UnloadMainWindow() {
  if (mainWindow_ != nullptr) mainWindow_->close();
}

void QtProcess::Fail(const std::string& report) {
  std::fprintf(stderr, "webaccess: %s\n", report.c_str());
  std::fflush(stderr);
  QWidget* owner =
      mainWindow_ != nullptr && mainWindow_->isVisible() ? mainWindow_.data() : nullptr;
  QMessageBox box(QMessageBox::Critical, QStringLiteral("webaccess"), DisplayText(report),
                  QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.exec();
  std::fflush(nullptr);
  leave_(kFailStatus);
  std::abort();  // a Leave does not return
}

}  // namespace webaccess::platform
