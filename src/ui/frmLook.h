#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "platform/qt/Twips.h"

class QListWidget;
class QPushButton;

namespace webaccess::ui {

// "Look at Requests Waiting to Order": the items of the inquiry file, one
// numbered row each, and an Exit button. Shown modally, without an owner,
// centred on the screen; the list is filled afresh every time the window is
// shown (it is modal, so nothing else of the program takes the activation
// from it while it is open).
class frmLook final : public QDialog {
 public:
  // Gives the inquiry file's items, in file order.
  using RequestItems = std::function<std::vector<std::string>()>;

  frmLook(RequestItems items, platform::TwipsScale scale);

  // Shows the window modally, centred on the screen; returns when it has
  // been closed.
  void ShowModal();

  // Fills lstReq with the RequestRow of every item, numbered from 1.
  void Form_Activate();
  // Fits the list and the Exit button to the window's outer height H:
  // above 2000 twips the list becomes H - 1185 high and the button's top
  // the list's height, as the list reports it, plus 180.
  void Form_Resize();

  QListWidget* lstReq() const { return lstReq_; }
  QPushButton* cmdExit() const { return cmdExit_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // A window manager frames the window after its first showing, by the
  // time it activates it; the frame changes the outer height without a
  // resize event, so at activation the height is fitted again when it has
  // changed.
  void changeEvent(QEvent* event) override;

 private:
  RequestItems items_;
  platform::TwipsScale scale_;
  QListWidget* lstReq_;
  QPushButton* cmdExit_;
  int fittedToHeight_ = -1;  // the outer height, in pixels, Form_Resize last read
};

}  // namespace webaccess::ui
