#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "protocol/ServerTable.h"
#include "ui/Program.h"

namespace webaccess::window_e2e {

// The settings as the program reads them from its environment
// (WEBACCESS_MAIN_URL, WEBACCESS_WAIT_MS, ...); none when one is bad.
std::optional<protocol::Settings> SettingsFromEnvironment(std::string& error);

// What a modal window showed when its turn came.
struct SeenModal {
  QString window;  // "QMessageBox", or the window's object name ("frmMessage")
  QString title;
  QString text;  // a message box's text, or the label lblMessage's
  QStringList buttons;
};

// Deals with the program's modal windows in the order in which they are
// expected. Modal windows run event loops of their own, so this works from
// the event loop: it polls every 20 ms, for no longer than `lifetime`. A
// modal window that is not the next one expected is recorded as unexpected
// and closed after two seconds, so that nothing waits on it for ever.
class ModalScript final : public QObject {
 public:
  using Act = std::function<void(QWidget*)>;

  explicit ModalScript(std::chrono::milliseconds lifetime);

  // The next modal window is a message box: press the button with this
  // caption (without access key marks).
  void AnswerBox(const QString& press);
  // The next modal window has this object name: once it has been in view
  // for `settle`, run `act` on it (which must close it).
  void Handle(const QString& objectName, Act act,
              std::chrono::milliseconds settle = std::chrono::milliseconds(0));

  // How many of the expected windows have had their turn.
  int Done() const { return static_cast<int>(seen_.size()); }
  const std::vector<SeenModal>& Seen() const { return seen_; }
  const QStringList& Unexpected() const { return unexpected_; }

 private:
  struct Step {
    QString objectName;  // empty: a message box
    Act act;
    std::chrono::milliseconds settle;
  };

  void Poll();

  QTimer poll_;
  QElapsedTimer alive_;
  std::chrono::milliseconds lifetime_;
  std::deque<Step> steps_;
  QPointer<QWidget> current_;
  QElapsedTimer inView_;
  std::vector<SeenModal> seen_;
  QStringList unexpected_;
  bool acting_ = false;
};

// Runs the event loop until `done` holds, for no longer than `limit`.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

}  // namespace webaccess::window_e2e
