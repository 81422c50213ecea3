#include "platform/qt/EngineStart.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace webaccess::platform {

void PrepareWebEngine() {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  const QString given = qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS");
  // The engine's own test: the variable set at all turns the sandbox off.
  const bool withoutSandbox =
      qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX") ||
      given.split(QLatin1Char(' '), Qt::SkipEmptyParts).contains(QStringLiteral("--no-sandbox"));
  QStringList flags{QStringLiteral("--disable-gpu")};
  if (withoutSandbox) flags << QStringLiteral("--no-zygote");
  if (!given.isEmpty()) flags << given;
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.join(QLatin1Char(' ')).toLocal8Bit());
}

}  // namespace webaccess::platform
