#include "app/LauncherApp.h"

#include <objbase.h>

#include <optional>
#include <string>

#include "app/Pictures.h"
#include "app/Verbs.h"
#include "install/CommandLine.h"
#include "install/InstallNames.h"
#include "install/RunCopy.h"
#include "install/StartAgain.h"
#include "install/UninstallCopy.h"
#include "launcher/LauncherDlg.h"
#include "package/Members.h"
#include "package/PackageAcceptance.h"
#include "package/PackageFile.h"
#include "package/SafeNames.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "text/PathText.h"
#include "win/CommonControls.h"
#include "win/Dialog.h"
#include "win/Handles.h"
#include "win/Paths.h"

namespace {

// The product's settings: filled before any window exists, never written
// afterwards.
SetupInfo s_setupInfo;

// The folder the package is read from: the folder argument, else the
// program's own, made full and ending in a backslash; empty when it names no
// folder.
std::wstring SourceFolderOf(const CommandLine& command) {
  const std::wstring given = command.folder ? *command.folder : ModuleFolder();
  if (given.empty()) return {};
  const std::optional<std::wstring> full = FullPath(given);
  if (!full) return {};
  const DWORD attributes = ::GetFileAttributesW(full->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  return text::WithTrailingBackslash(*full);
}

}  // namespace

BOOL CLauncherApp::InitInstance() {
  // The shell's functions need COM on this thread, until the launcher and
  // every picture and link of the run are gone.
  const win::CComInit com;
  (void)win::InitCommonControlClasses(ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES);
  const CommandLine command = ParseCommandLine(::GetCommandLineW());
  // What earlier runs' copies left in the temporary folder goes first.
  SweepRunFolders(TempFolder());
  // With /S no window is ever shown and start-up failures have the
  // documented exit codes: 2 for the command line, else 1.
  const bool silent = command.silent;
  const DWORD silentFailure = UsageError(command) ? kExitUsage : kExitFailed;
  // With /S, the reason goes into the log that the product's entry names
  // (without a package there is no title): none may end on an earlier run's.
  const auto startFailed = [&](DWORD code, const std::wstring& reason) {
    if (!silent) return End(code);
    LogStartFailure({}, command, UsageError(command).value_or(reason), silentFailure);
    return End(silentFailure);
  };
  const std::wstring sourceDir = SourceFolderOf(command);
  // A folder argument that names no folder would leave the package to be
  // looked for wherever the program happened to be started.
  if (sourceDir.empty()) {
    return startFailed(kNoSourceFolder, L"the source folder " + command.folder.value_or(L"") +
                                            L" cannot be used");
  }
  const std::wstring packagePath = sourceDir + kPackageFileName;
  // What this program starts (DirectX, the readme, a copy of itself) starts
  // there; nothing of this program reads the current folder, every path it
  // uses is full.
  (void)::SetCurrentDirectoryW(sourceDir.c_str());

  SetupInfo& info = s_setupInfo;
  // Deleted after the launcher has closed; the dialogs only borrow them.
  win::UniqueBitmap wizardPicture;
  win::UniqueBitmap launcherPicture;
  // Read whole: an installation copies it beside its uninstall copy.
  std::optional<std::vector<char>> packageBytes = ReadPackageFile(packagePath);
  {
    CPackageFile package;
    if (!packageBytes || !package.OpenPackage(packageBytes->data(), packageBytes->size()))
      return startFailed(kNoPackage, L"the package " + packagePath + L" is missing or damaged");
    const PackageAcceptance acceptance = AcceptPackage(package, info);
    if (acceptance.refusal == PackageRefusal::kNoSettings ||
        acceptance.refusal == PackageRefusal::kNoFileSizes)
      return startFailed(kNoSettings,
                         L"the settings of the package " + packagePath + L" are damaged");
    // A name that could reach outside its folder, or no title or maker to
    // record an installation under: the publisher testing a disc (and the
    // player holding a bad one) is told which setting is at fault.
    if (const std::optional<UnsafeName>& unsafe = acceptance.unsafe) {
      const std::wstring text = ui::RefusalText(FieldName(unsafe->field), unsafe->value);
      if (silent) {
        LogStartFailure(info.title, command, L"the package is refused: " + unsafe->reason,
                        silentFailure);
        return End(silentFailure);
      }
      win::ShowMessage(nullptr, text, ui::kSetupCaption, MB_OK | MB_ICONERROR);
      return End(command.uninstall || command.install ? DWORD{kExitFailed} : DWORD{kRefused});
    }
    if (!silent) {
      // Each process loads the picture it shows: the wizard's process
      // (/install) the wizard's, the launcher its own.
      if (command.install || command.repair) {
        wizardPicture = LoadPicture(package, kWizardPictureMember);
      } else {
        launcherPicture = LoadPicture(package, kLauncherPictureMember);
      }
    }
  }  // The package is closed here: nothing reads it any more.
  info.packageBytes = std::move(*packageBytes);

  const RunContext run{info, command, RoleOf(command, ReadInstallRecord(info)), sourceDir};
  // Install and uninstall run in a process of their own, which the
  // single-instance test below must not turn away.
  if (RunsWithoutLauncher(run)) return End(RunWithoutLauncher(run, wizardPicture.get()));

  if (const HWND running = ::FindWindowW(nullptr, ui::LauncherCaption(info.title).c_str())) {
    ::SetForegroundWindow(running);
    return End(kAlreadyOpen);
  }

  if (info.singleDisc || command.folder) {
    CLauncherDlg launcher(info, sourceDir, run.role, launcherPicture.get());
    const bool shown = launcher.DoModal() != -1;
    // The copy of a multi-disc launcher: the process that made it is gone.
    if (run.role == Role::kRunCopy) ScheduleRunCopyRemoval(ModulePath());
    // How the launcher was closed makes no difference.
    return shown ? FALSE : End(kNoWindow);
  }

  // The copy shows the launcher; this process has nothing more to do
  // once it is up. One that could not be made or started is told.
  StartRequest request;
  request.title = info.title;
  request.command.folder = sourceDir;
  request.command.role = Role::kRunCopy;
  request.untilEnd = false;
  const StartResult started = StartProgram(request);
  if (started.Started()) return End(started.exitCode);
  win::ShowMessage(nullptr, ui::TempCopyFailedText(TempFolder()), ui::kSetupCaption,
                   MB_OK | MB_ICONERROR);
  return End(kNoTempCopy);
}
