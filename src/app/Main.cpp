#include <windows.h>

#include "app/LauncherApp.h"
#include "win/SystemLibrary.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // First of all: every DLL loaded from here on, by the program or by the
  // system's DLLs, comes from the system folder.
  win::RestrictDllSearch();
  CLauncherApp app;
  (void)app.InitInstance();
  // The runs without the launcher (/S, /install, /uninstall, /repair) end
  // with their fixed codes, which scripts depend on and which a copy of the
  // program (started with rights, or from the temporary folder) hands back
  // to the process waiting for it. Otherwise 0 after a launcher was shown
  // or handed on, else why none appeared (CLauncherApp::ExitCode).
  return static_cast<int>(app.ExitCode());
}
