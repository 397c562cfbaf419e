// The application: its whole life is the start-up sequence.
#pragma once

#include <windows.h>

class CLauncherApp {
 public:
  // Finds the source folder and makes it current, reads the package, then
  // either brings an open launcher of the same product to the front,
  // restarts from a temporary copy (several discs, no folder given), or
  // shows the launcher until it is closed. Every failure ends silently.
  // Always FALSE: the application has no message loop of its own.
  BOOL InitInstance();
};
