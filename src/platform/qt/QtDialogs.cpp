#include "platform/qt/QtDialogs.h"

#include <QAbstractButton>
#include <QMessageBox>

#include "platform/qt/DisplayText.h"

namespace webaccess::platform {
namespace {

// Buttons with their captions only, without the style's pictures.
void PlainButtons(QMessageBox& box) {
  for (QAbstractButton* button : box.buttons()) button->setIcon(QIcon());
}

}  // namespace

QtDialogs::QtDialogs(QWidget* owner, MessageWindow messageWindow)
    : owner_(owner), messageWindow_(std::move(messageWindow)) {}

ports::Answer QtDialogs::AskYesNo(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, DisplayText(title), DisplayText(text),
                  QMessageBox::Yes | QMessageBox::No, owner_);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  PlainButtons(box);
  box.exec();
  return box.clickedButton() == box.button(QMessageBox::Yes) ? ports::Answer::Yes
                                                             : ports::Answer::No;
}

void QtDialogs::ShowCritical(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Critical, DisplayText(title), DisplayText(text), QMessageBox::Ok,
                  owner_);
  box.setTextFormat(Qt::PlainText);
  PlainButtons(box);
  box.exec();
}

void QtDialogs::ShowServerMessage(const std::string& text) {
  if (messageWindow_) messageWindow_(text);
}

}  // namespace webaccess::platform
