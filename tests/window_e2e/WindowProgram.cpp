#include "WindowProgram.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <cstdlib>

namespace webaccess::window_e2e {
namespace {

constexpr int kPollMs = 20;
constexpr std::chrono::milliseconds kUnexpectedGrace(2000);

QString Caption(const QAbstractButton* button) { return button->text().remove(QLatin1Char('&')); }

SeenModal Describe(QWidget* window) {
  SeenModal seen;
  seen.title = window->windowTitle();
  if (auto* box = qobject_cast<QMessageBox*>(window)) {
    seen.window = QStringLiteral("QMessageBox");
    seen.text = box->text();
    for (const QAbstractButton* button : box->buttons()) seen.buttons << Caption(button);
  } else {
    seen.window = window->objectName();
    if (const auto* label = window->findChild<QLabel*>(QStringLiteral("lblMessage"))) {
      seen.text = label->text();
    }
  }
  return seen;
}

void Close(QWidget* window) {
  if (auto* dialog = qobject_cast<QDialog*>(window)) {
    dialog->reject();
  } else {
    window->close();
  }
}

}  // namespace

std::optional<protocol::Settings> SettingsFromEnvironment(std::string& error) {
  return protocol::LoadSettings([](const char* name) { return std::getenv(name); }, error);
}

ModalScript::ModalScript(std::chrono::milliseconds lifetime) : lifetime_(lifetime) {
  alive_.start();
  poll_.setInterval(kPollMs);
  QObject::connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
  poll_.start();
}

void ModalScript::AnswerBox(const QString& press) {
  steps_.push_back({QString(),
                    [press](QWidget* window) {
                      auto* box = qobject_cast<QMessageBox*>(window);
                      for (QAbstractButton* button : box->buttons()) {
                        if (Caption(button) == press) {
                          button->click();
                          return;
                        }
                      }
                      box->done(-1);  // no such button: the test fails on what it saw
                    },
                    std::chrono::milliseconds(0)});
}

void ModalScript::Handle(const QString& objectName, Act act, std::chrono::milliseconds settle) {
  steps_.push_back({objectName, std::move(act), settle});
}

void ModalScript::Poll() {
  if (acting_) return;  // an act that runs an event loop of its own
  if (alive_.elapsed() > lifetime_.count()) {
    poll_.stop();
    return;
  }
  QWidget* window = QApplication::activeModalWidget();
  if (window == nullptr || !window->isVisible()) {
    current_ = nullptr;
    return;
  }
  if (window != current_) {
    current_ = window;
    inView_.start();
  }
  const bool isBox = qobject_cast<QMessageBox*>(window) != nullptr;
  const bool expected =
      !steps_.empty() &&
      (steps_.front().objectName.isEmpty() ? isBox
                                           : window->objectName() == steps_.front().objectName);
  if (expected) {
    if (inView_.elapsed() < steps_.front().settle.count()) return;
    const Step step = std::move(steps_.front());
    steps_.pop_front();
    seen_.push_back(Describe(window));
    current_ = nullptr;
    acting_ = true;
    step.act(window);
    acting_ = false;
    return;
  }
  if (inView_.elapsed() < kUnexpectedGrace.count()) return;
  const SeenModal seen = Describe(window);
  unexpected_ << seen.window + QStringLiteral(" \"") + seen.title + QStringLiteral("\": ") +
                     seen.text;
  current_ = nullptr;
  Close(window);
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  // An event loop that sleeps only while no event comes: the web engine does
  // its work on this thread through the event queue, and a wait that sleeps
  // between passes slows every navigation down.
  if (done()) return true;
  QEventLoop loop;
  QDeadlineTimer deadline(limit);
  QTimer check;
  check.setInterval(kPollMs);
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done() || deadline.hasExpired()) loop.quit();
  });
  check.start();
  loop.exec();
  return done();
}

}  // namespace webaccess::window_e2e
