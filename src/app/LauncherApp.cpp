#include "app/LauncherApp.h"

#include <commctrl.h>
#include <objbase.h>

#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "app/Pictures.h"
#include "app/Relaunch.h"
#include "launcher/LauncherDlg.h"
#include "package/Members.h"
#include "package/PackageFile.h"
#include "package/SafeNames.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "win/Dialog.h"

namespace {

// The product's settings: filled before any window exists, read-only
// afterwards except installDir.
SetupInfo s_setupInfo;

std::wstring CurrentDirectory() {
  const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return {};
  std::wstring folder(needed, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(needed, folder.data());
  if (length == 0 || length >= needed) return {};
  folder.resize(length);
  return folder;
}

}  // namespace

BOOL CLauncherApp::InitInstance() {
  // The shell's functions need COM on this thread, until the launcher and
  // every picture and link of the run are gone.
  const win::CComInit com;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  (void)::InitCommonControlsEx(&controls);

  const std::optional<std::wstring> folderArgument = FolderArgument(::GetCommandLineW());
  const std::wstring sourceDir = folderArgument ? *folderArgument : ModuleFolder();
  // A folder argument that names no folder would leave the package to be
  // looked for wherever the program happened to be started.
  if (sourceDir.empty() || !::SetCurrentDirectoryW(sourceDir.c_str())) return End(kNoSourceFolder);

  SetupInfo& info = s_setupInfo;
  // Deleted after the launcher has closed, slot 0 first; the dialogs only
  // borrow them.
  win::UniqueBitmap wizardPicture;
  win::UniqueBitmap launcherPicture;
  {
    CPackageFile package;
    if (!package.OpenPackage(L"setup")) return End(kNoPackage);
    if (!LoadSettings(package, info) || !LoadFileSizes(package, info)) return End(kNoSettings);
    // A name that could reach outside its folder, or no title or maker to
    // record an installation under: the publisher testing a disc (and the
    // player holding a bad one) is told which setting is at fault.
    if (const std::optional<UnsafeName> unsafe = FindUnsafeName(info)) {
      win::ShowMessage(nullptr, ui::RefusalText(FieldName(unsafe->field), unsafe->value),
                       ui::kSetupCaption, MB_OK | MB_ICONERROR);
      return End(kRefused);
    }
    LoadFileHashes(package, info);
    launcherPicture = LoadPicture(package, kLauncherPictureMember);
    wizardPicture = LoadPicture(package, kWizardPictureMember);
  }  // The package is closed here: nothing reads it any more.

  const std::wstring caption = info.title + ui::kLauncherCaptionSuffix;
  if (const HWND running = ::FindWindowW(nullptr, caption.c_str())) {
    ::SetForegroundWindow(running);
    return End(kAlreadyOpen);
  }

  if (info.singleDisc || folderArgument) {
    CLauncherDlg launcher(info, launcherPicture.get(), wizardPicture.get());
    // How the launcher was closed makes no difference.
    return launcher.DoModal() == -1 ? End(kNoWindow) : FALSE;
  }

  // The copy shows the launcher; this process has nothing more to do
  // whether or not it could start it.
  m_exitCode = RelaunchFromTempCopy(info.title, CurrentDirectory());
  return FALSE;
}
