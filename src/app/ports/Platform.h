#pragma once

#include "app/ports/Browser.h"
#include "app/ports/Clock.h"
#include "app/ports/Dialogs.h"
#include "app/ports/EventPump.h"
#include "app/ports/MainView.h"
#include "app/ports/Process.h"
#include "app/ports/Screen.h"
#include "app/ports/Transfer.h"
#include "app/ports/WaitTimer.h"

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
