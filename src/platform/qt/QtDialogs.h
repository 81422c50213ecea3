#pragma once

#include <QPointer>
#include <functional>
#include <string>

#include "ports/Dialogs.h"

class QWidget;

namespace webaccess::platform {

// The program's questions and boxes as modal message boxes over the main
// window, with the exact titles and plain texts the core gives. The server
// message window belongs to the window layer, which passes in how to show it.
class QtDialogs final : public ports::Dialogs {
 public:
  using MessageWindow = std::function<void(const std::string& text)>;

  QtDialogs(QWidget* owner, MessageWindow messageWindow);

  // Yes and No, Yes the default button, no icon.
  ports::Answer AskYesNo(const std::string& title, const std::string& text) override;
  // OK and the critical icon.
  void ShowCritical(const std::string& title, const std::string& text) override;
  void ShowServerMessage(const std::string& text) override;

 private:
  QPointer<QWidget> owner_;
  MessageWindow messageWindow_;
};

}  // namespace webaccess::platform
