#include "platform/qt/QtEventPump.h"

#include <QCoreApplication>

namespace webaccess::platform {

void QtEventPump::ProcessPendingEvents() { QCoreApplication::processEvents(); }

}  // namespace webaccess::platform
