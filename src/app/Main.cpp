#include <windows.h>

#include "app/LauncherApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  CLauncherApp app;
  // The exit code means nothing to any caller.
  (void)app.InitInstance();
  return 0;
}
