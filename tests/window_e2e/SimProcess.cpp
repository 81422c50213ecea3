#include "SimProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

namespace webaccess::window_e2e {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

SimProcess::SimProcess(const QString& program, const QString& dir, const QStringList& args)
    : dir_(dir) {
  const QDir at(dir);
  QStringList all{QStringLiteral("--port"),     QStringLiteral("0"),
                  QStringLiteral("--log"),      at.filePath(QStringLiteral("requests.log")),
                  QStringLiteral("--lifetime"), QStringLiteral("120")};
  all += args;
  process_.setWorkingDirectory(dir);
  process_.setStandardErrorFile(at.filePath(QStringLiteral("sim.err")));
  process_.setStandardInputFile(QProcess::nullDevice());
  process_.start(program, all);
  // The first line is the base URL.
  const QDeadlineTimer deadline(10000);
  while (!deadline.hasExpired() && process_.state() != QProcess::NotRunning) {
    if (process_.canReadLine()) {
      baseUrl_ = QString::fromLatin1(process_.readLine()).trimmed();
      break;
    }
    process_.waitForReadyRead(100);
  }
}

SimProcess::~SimProcess() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished(2000);
  }
}

QStringList SimProcess::Requests() const {
  const QString log =
      QString::fromLatin1(ReadAll(QDir(dir_).filePath(QStringLiteral("requests.log"))));
  return log.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString SimProcess::Errors() const {
  return QString::fromLatin1(ReadAll(QDir(dir_).filePath(QStringLiteral("sim.err"))));
}

}  // namespace webaccess::window_e2e
