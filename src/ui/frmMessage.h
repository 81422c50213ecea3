#pragma once

#include <QDialog>
#include <string>

#include "platform/qt/Twips.h"

class QLabel;
class QPushButton;

namespace webaccess::ui {

// "Message From Vantorel": a final message in a fixed-pitch font and an Exit
// button. A dialog of the main window, so it has no task bar entry of its
// own; fixed in size, cut off at the label's bottom edge when the message
// is longer.
class frmMessage final : public QDialog {
 public:
  frmMessage(QWidget* owner, platform::TwipsScale scale);

  // Sets lblMessage's caption; lines separated by CR LF.
  void SetMessage(const std::string& text);
  // Shows the window modally, centred over its owner, with the focus on
  // Exit; returns when it has been closed by Exit or its close box.
  void ShowModal();

  QLabel* lblMessage() const { return lblMessage_; }
  QPushButton* Command1() const { return Command1_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  platform::TwipsScale scale_;
  QLabel* lblMessage_;
  QPushButton* Command1_;
};

}  // namespace webaccess::ui
