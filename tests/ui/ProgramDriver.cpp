// The user's part in the real webaccess program, for tests that start the
// program itself. Built as a generic toolkit plugin, it is loaded into the
// program by the environment alone, the program unchanged:
//   QT_PLUGIN_PATH=<the folder above generic/>
//   QT_QPA_GENERIC_PLUGINS=webaccessdriver
//   WEBACCESS_DRIVE=<steps>
// The steps, separated by ';', are taken in order:
//   TITLE=BUTTON   press BUTTON in the modal message box titled TITLE
//   >NAME          click the main window's button NAME, once it is enabled
//                  and no modal window is open
// Every step taken, and every modal window that is not the one the next step
// expects, is written to the standard error as a line starting "driver: ".
// The driver looks every 20 ms and stops looking after a minute.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <cstdio>

namespace webaccess::testing {
namespace {

constexpr int kPollMs = 20;
constexpr qint64 kLifetimeMs = 60000;

QString Caption(const QAbstractButton* button) { return button->text().remove(QLatin1Char('&')); }

void Say(const QString& line) {
  std::fprintf(stderr, "driver: %s\n", line.toLocal8Bit().constData());
  std::fflush(stderr);
}

QWidget* MainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QLatin1String("frmWebAccess") && widget->isVisible()) {
      return widget;
    }
  }
  return nullptr;
}

// Clicks through the event queue: the click may open a modal window, whose
// event loop must see this driver's next look.
void ClickLater(QAbstractButton* button) {
  QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}

class ProgramDriver final : public QObject {
 public:
  explicit ProgramDriver(QStringList steps) : steps_(std::move(steps)) {
    QObject::connect(&poll_, &QTimer::timeout, this, [this] { Look(); });
    poll_.start(kPollMs);
    alive_.start();
  }

 private:
  void Look() {
    if (steps_.isEmpty() || alive_.elapsed() > kLifetimeMs) {
      poll_.stop();
      return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    const QString& step = steps_.front();
    if (step.startsWith(QLatin1Char('>'))) {
      if (modal != nullptr) {
        Unexpected(modal);
        return;
      }
      QWidget* window = MainWindow();
      auto* button = window != nullptr ? window->findChild<QPushButton*>(step.mid(1)) : nullptr;
      if (button == nullptr || !button->isVisible() || !button->isEnabled()) return;
      Take(QStringLiteral("click %1").arg(step.mid(1)));
      ClickLater(button);
      return;
    }
    if (modal == nullptr || !modal->isVisible()) return;
    const qsizetype equals = step.indexOf(QLatin1Char('='));
    const QString title = step.left(equals);
    const QString press = step.mid(equals + 1);
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr || box->windowTitle() != title) {
      Unexpected(modal);
      return;
    }
    for (QAbstractButton* button : box->buttons()) {
      if (Caption(button) != press) continue;
      Take(QStringLiteral("%1: %2").arg(title, press));
      // Until the click has closed it, the box is no stranger to the next step.
      reported_ = box;
      ClickLater(button);
      return;
    }
    Unexpected(modal);
  }

  void Take(const QString& what) {
    steps_.removeFirst();
    Say(what);
  }

  // Once for each window.
  void Unexpected(QWidget* modal) {
    if (modal == reported_) return;
    reported_ = modal;
    const auto* box = qobject_cast<QMessageBox*>(modal);
    Say(QStringLiteral("unexpected window \"%1\" %2 while waiting for \"%3\"")
            .arg(modal->windowTitle(), box != nullptr ? box->text() : modal->objectName(),
                 steps_.front()));
  }

  QStringList steps_;
  QTimer poll_;
  QElapsedTimer alive_;
  QPointer<QWidget> reported_;
};

}  // namespace

class ProgramDriverPlugin final : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "ProgramDriver.json")

 public:
  QObject* create(const QString& name, const QString&) override {
    if (name.compare(QLatin1String("webaccessdriver"), Qt::CaseInsensitive) != 0) return nullptr;
    const QString steps = qEnvironmentVariable("WEBACCESS_DRIVE");
    return new ProgramDriver(steps.split(QLatin1Char(';'), Qt::SkipEmptyParts));
  }
};

}  // namespace webaccess::testing

#include "ProgramDriver.moc"
