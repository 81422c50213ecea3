#pragma once

#include "ports/Browser.h"
#include "ports/Clock.h"
#include "ports/Dialogs.h"
#include "ports/EventPump.h"
#include "ports/MainView.h"
#include "ports/Process.h"
#include "ports/Screen.h"
#include "ports/Transfer.h"
#include "ports/WaitTimer.h"

namespace webaccess::ports {

// Everything outside the core that the core calls, in one bundle.
struct Platform {
  Browser& browser;
  Transfer& transfer;
  WaitTimer& timer;
  EventPump& pump;
  Dialogs& dialogs;
  Screen& screen;
  Clock& clock;
  MainView& view;
  Process& process;
};

}  // namespace webaccess::ports
