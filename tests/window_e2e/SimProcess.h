#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace webaccess::window_e2e {

// webaccess-sim as a child process on a free loopback port, its request log
// ("requests.log") and standard error ("sim.err") in `dir`. It is stopped
// when this goes, and ends by itself after two minutes in any case.
class SimProcess {
 public:
  SimProcess(const QString& program, const QString& dir, const QStringList& args);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The base URL it printed on its first line; empty if it did not start
  // within ten seconds.
  const QString& BaseUrl() const { return baseUrl_; }
  // The request targets it has logged, in order.
  QStringList Requests() const;
  // What it wrote to its standard error.
  QString Errors() const;

 private:
  QString dir_;
  QProcess process_;
  QString baseUrl_;
};

}  // namespace webaccess::window_e2e
