#include "SimProcess.h"

namespace webaccess::window_e2e {
namespace {

std::vector<std::string> StdStrings(const QStringList& list) {
  std::vector<std::string> strings;
  for (const QString& text : list) strings.push_back(text.toStdString());
  return strings;
}

}  // namespace

SimProcess::SimProcess(const QString& program, const QString& dir, const QStringList& args)
    : sim_(program.toStdString(), dir.toStdString(), StdStrings(args), 120) {}

QStringList SimProcess::Requests() const {
  QStringList requests;
  for (const std::string& line : sim_.Requests()) requests.append(QString::fromStdString(line));
  return requests;
}

}  // namespace webaccess::window_e2e
