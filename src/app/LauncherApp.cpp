#include "app/LauncherApp.h"

#include <objbase.h>

#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "app/Pictures.h"
#include "app/Relaunch.h"
#include "app/Unattended.h"
#include "launcher/LauncherDlg.h"
#include "package/Members.h"
#include "package/PackageFile.h"
#include "package/SafeNames.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "win/CommonControls.h"
#include "win/Dialog.h"
#include "win/Handles.h"
#include "win/ShellFolders.h"

namespace {

// The product's settings: filled before any window exists, read-only
// afterwards except installDir.
SetupInfo s_setupInfo;



}  // namespace

BOOL CLauncherApp::InitInstance() {
  // The shell's functions need COM on this thread, until the launcher and
  // every picture and link of the run are gone.
  const win::CComInit com;
  (void)win::InitCommonControlClasses(ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES);

  const CommandLine command = ParseCommandLine(::GetCommandLineW());
  // With /S no window is ever shown and start-up failures have the
  // documented exit codes: 2 for the command line, else 1.
  const bool silent = command.silent;
  const DWORD silentFailure = UsageError(command) ? kExitUsage : kExitFailed;
  const std::wstring sourceDir = command.folder ? *command.folder : ModuleFolder();
  // A folder argument that names no folder would leave the package to be
  // looked for wherever the program happened to be started.
  if (sourceDir.empty() || !::SetCurrentDirectoryW(sourceDir.c_str()))
    return End(silent ? silentFailure : kNoSourceFolder);

  SetupInfo& info = s_setupInfo;
  // Deleted after the launcher has closed, slot 0 first; the dialogs only
  // borrow them.
  win::UniqueBitmap wizardPicture;
  win::UniqueBitmap launcherPicture;
  // Read whole: an installation copies it beside its uninstall copy.
  std::optional<std::vector<char>> packageBytes = ReadPackageFile(L"setup");
  {
    CPackageFile package;
    if (!packageBytes || !package.OpenPackage(packageBytes->data(), packageBytes->size()))
      return End(silent ? silentFailure : kNoPackage);
    if (!LoadSettings(package, info) || !LoadFileSizes(package, info))
      return End(silent ? silentFailure : kNoSettings);
    // A name that could reach outside its folder, or no title or maker to
    // record an installation under: the publisher testing a disc (and the
    // player holding a bad one) is told which setting is at fault.
    if (const std::optional<UnsafeName> unsafe = FindUnsafeName(info)) {
      const std::wstring text = ui::RefusalText(FieldName(unsafe->field), unsafe->value);
      if (silent) {
        LogStartFailure(info.title, L"the package is refused: " + unsafe->reason, silentFailure);
        return End(silentFailure);
      }
      win::ShowMessage(nullptr, text, ui::kSetupCaption, MB_OK | MB_ICONERROR);
      return End(command.uninstall ? DWORD{kExitFailed} : DWORD{kRefused});
    }
    LoadFileHashes(package, info);
    if (!silent) {
      launcherPicture = LoadPicture(package, kLauncherPictureMember);
      wizardPicture = LoadPicture(package, kWizardPictureMember);
    }
  }  // The package is closed here: nothing reads it any more.
  info.packageBytes = std::move(*packageBytes);

  if (IsUnattended(command, info, sourceDir)) return End(RunUnattended(info, command, sourceDir));

  const std::wstring caption = info.title + ui::kLauncherCaptionSuffix;
  if (const HWND running = ::FindWindowW(nullptr, caption.c_str())) {
    ::SetForegroundWindow(running);
    return End(kAlreadyOpen);
  }

  if (info.singleDisc || command.folder) {
    CLauncherDlg launcher(info, launcherPicture.get(), wizardPicture.get());
    // How the launcher was closed makes no difference.
    return launcher.DoModal() == -1 ? End(kNoWindow) : FALSE;
  }

  // The copy shows the launcher; this process has nothing more to do
  // whether or not it could start it.
  m_exitCode = RelaunchFromTempCopy(info.title, CurrentFolder());
  return FALSE;
}
