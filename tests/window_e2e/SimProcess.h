#pragma once

#include <QString>
#include <QStringList>

#include "programs/SimProcess.h"

namespace webaccess::window_e2e {

// webaccess-sim as a child process on a free loopback port, its request log
// ("requests.log") and standard error ("sim.err") in `dir`, for the window's
// tests in the toolkit's strings. It is stopped when this goes, and ends by
// itself after two minutes in any case.
class SimProcess {
 public:
  SimProcess(const QString& program, const QString& dir, const QStringList& args);

  // The base URL it printed on its first line; empty if it did not start
  // within ten seconds.
  QString BaseUrl() const { return QString::fromStdString(sim_.BaseUrl()); }
  // The request targets it has logged, in order.
  QStringList Requests() const;
  // What it wrote to its standard error.
  QString Errors() const { return QString::fromStdString(sim_.Errors()); }

 private:
  programs::SimProcess sim_;
};

}  // namespace webaccess::window_e2e
