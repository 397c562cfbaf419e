#include "Wizard.h"

#include <shlobj.h>

#include "SystemState.h"

namespace e2e {

std::wstring DefaultFolder(const std::wstring& title) {
  return ShellFolder(CSIDL_PROGRAM_FILES) + L"\\" + kMaker + L"\\" + title;
}

std::wstring DesktopLink(const std::wstring& title) {
  return ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + title + L".lnk";
}

std::wstring MenuLink(const std::wstring& menuFolder, const std::wstring& name) {
  return ShellFolder(CSIDL_PROGRAMS) + L"\\" + menuFolder + L"\\" + name + L".lnk";
}

CInstallRun OpenWizard(const std::wstring& fixture, const std::wstring& title) {
  CInstallRun run;
  run.disc1 = PrepareDisc(fixture, L"DISC1");
  if (!InsertDisc(run.disc1)) return run;
  run.launcher = StartLauncher(run.disc1.Path(L"setup.exe"), title);
  if (!run.launcher.window) return run;
  run.processId = run.launcher.window.ProcessId();
  if (!run.launcher.window.Click(kInstallId)) run.processId = 0;
  return run;
}

bool WaitButtonsShowInstalled(const CWindow& launcher, bool installed, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (launcher.ControlEnabled(kInstallId) != installed &&
        launcher.ControlEnabled(kStartGameId) == installed &&
        launcher.ControlEnabled(kUninstallId) == installed) {
      return true;
    }
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(20);
  }
}

}  // namespace e2e
