#pragma once

#include <string>

namespace webaccess::ports {

enum class Answer { Yes, No };

// The modal questions and boxes the program shows. Each runs a nested event
// loop on the real platform: timer ticks and browser events keep arriving
// while it is open. Texts separate their lines with CR LF.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Yes and No buttons, no icon, Yes the default button.
  virtual Answer AskYesNo(const std::string& title, const std::string& text) = 0;
  // An OK button and the critical icon.
  virtual void ShowCritical(const std::string& title, const std::string& text) = 0;
  // The server message window, modal; returns when the user has closed it.
  virtual void ShowServerMessage(const std::string& text) = 0;
};

}  // namespace webaccess::ports
