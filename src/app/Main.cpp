#include <windows.h>

#include "app/LauncherApp.h"
#include "win/SystemLibrary.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // First of all: every DLL loaded from here on, by the program or by the
  // system's DLLs, comes from the system folder.
  win::RestrictDllSearch();
  CLauncherApp app;
  (void)app.InitInstance();
  // 0, or the code of a relaunched copy that ended before it was up: no
  // caller depends on it, but it tells why no launcher appeared.
  return static_cast<int>(app.ExitCode());
}
