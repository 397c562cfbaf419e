#include <windows.h>

#include "app/LauncherApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  CLauncherApp app;
  (void)app.InitInstance();
  // 0, or the code of a relaunched copy that ended before it was up: no
  // caller depends on it, but it tells why no launcher appeared.
  return static_cast<int>(app.ExitCode());
}
