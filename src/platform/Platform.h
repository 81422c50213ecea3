#pragma once

#include "platform/Browser.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/MainView.h"
#include "platform/Process.h"
#include "platform/Screen.h"
#include "platform/Transfer.h"
#include "platform/WaitTimer.h"

namespace webaccess::platform {

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

}  // namespace webaccess::platform
