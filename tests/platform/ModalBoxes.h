#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <functional>

namespace webaccess::testing {

// What a message box showed when it was answered.
struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  QString defaultButton;
  bool buttonsHaveIcons = false;
};

// Waits, from the event loop, for the next modal message box, records what
// it shows and presses the button with the given caption. Call before the
// code that opens the box.
inline void AnswerNextBox(const QString& press, SeenBox* seen = nullptr) {
  auto* poll = new QTimer(qApp);
  poll->setInterval(20);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, press, seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    QAbstractButton* chosen = nullptr;
    SeenBox found;
    found.title = box->windowTitle();
    found.text = box->text();
    found.icon = box->icon();
    for (QAbstractButton* button : box->buttons()) {
      found.buttons << button->text().remove(QLatin1Char('&'));
      if (!button->icon().isNull()) found.buttonsHaveIcons = true;
      if (button->text().remove(QLatin1Char('&')) == press) chosen = button;
    }
    if (box->defaultButton() != nullptr) {
      found.defaultButton = box->defaultButton()->text().remove(QLatin1Char('&'));
    }
    if (seen != nullptr) *seen = found;
    if (chosen != nullptr) {
      chosen->click();
    } else {
      box->done(-1);  // no such button: the test fails on what it saw
    }
  });
  poll->start();
}

}  // namespace webaccess::testing
