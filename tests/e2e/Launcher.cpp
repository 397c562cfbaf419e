#include "Launcher.h"

#include "SystemState.h"

namespace e2e {

std::wstring LauncherCaption(const std::wstring& title) { return title + L" セットアップ"; }

std::wstring InstallRecordKey(const std::wstring& maker, const std::wstring& title) {
  return L"SOFTWARE\\" + maker + L"\\" + title;
}

std::optional<std::wstring> ReadInstallRecord(const std::wstring& maker, const std::wstring& title) {
  return ReadRegString(HKEY_LOCAL_MACHINE, InstallRecordKey(maker, title), L"path");
}

bool WriteInstallRecord(const std::wstring& maker, const std::wstring& title, const std::wstring& folder) {
  return WriteRegString(HKEY_LOCAL_MACHINE, InstallRecordKey(maker, title), L"path", folder);
}

CLauncherRun StartLauncher(const std::wstring& program, const std::wstring& title, const std::wstring& arguments,
                           const std::wstring& folder) {
  CLauncherRun run;
  run.process = CProcess::Start(program, arguments, folder);
  if (!run.process) return run;
  // The last button of the template: once it exists, all controls do.
  run.window = WaitWindow(LauncherCaption(title), 0, kReadmeId);
  return run;
}

bool CloseLauncher(const CWindow& launcher) {
  if (!launcher.Exists()) return false;
  const CProcess process = CProcess::Attach(launcher.ProcessId());
  // Just after it appeared, the launcher may not take keys yet.
  for (const DWORD start = ::GetTickCount(); !launcher.IsVisible() || !launcher.IsEnabled();) {
    if (!launcher.Exists() || ::GetTickCount() - start >= kWaitMs) return false;
    ::Sleep(20);
  }
  if (!launcher.PressKey(VK_ESCAPE) || !launcher.WaitGone()) return false;
  return !process || process.WaitExit();
}

}  // namespace e2e
