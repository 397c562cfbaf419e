// The runs without the launcher: setup.exe /S [/D=<folder>] installs with
// no window; setup.exe /install opens the wizard; setup.exe /uninstall [/S]
// removes, with the launcher's question and final message or with no
// window; setup.exe /repair [/S] checks the installation and restores what
// differs. Each runs with administrator rights: started without them, the
// program starts itself with them and passes on the exit code. With /S a
// UTF-8 log %TEMP%\setup_<title>.log (LogFileName) tells each step and the
// reason of a failure; a run whose log cannot be written does nothing and
// ends with 1.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/CommandLine.h"

struct SetupInfo;

// The exit codes (fixed: scripts depend on them).
enum : DWORD {
  kExitDone = 0,
  kExitFailed = 1,       // package refused, space short, a copy or hash failed,
                         // the record not written, a listed file stayed, no log
  kExitUsage = 2,        // with /S: an unknown switch, /D= not a full path
  kExitDiscMissing = 3,  // a disc's files were not found
  kExitNothingToDo = 4,  // install when installed, uninstall or repair when not
};

// Why the command line cannot be carried out, when it cannot (only with
// /S; without it unknown switches are passed over): an unknown switch,
// /D= that is not a full path, /D= with /uninstall.
std::optional<std::wstring> UsageError(const CommandLine& command);

// True when the command line asks for a run without the launcher, or the
// program was started from the product's uninstall copy (or from its
// temporary copy on the uninstall copy's package), which only removes.
bool RunsWithoutLauncher(const CommandLine& command, const SetupInfo& info,
                         const std::wstring& sourceDir);

// Carries out a run without the launcher for the loaded package; the
// current folder is sourceDir. wizardPicture (may be null) is /install's.
// Returns the exit code. info.installDir is set by an install.
DWORD RunWithoutLauncher(SetupInfo& info, const CommandLine& command,
                         const std::wstring& sourceDir, HBITMAP wizardPicture);

// Writes the reason why start-up could not use the package into the log of
// title: the package's, or, when it could not be read (empty), the title of
// the Apps & features entry whose uninstall copy this program is, so that a
// removal whose package went leaves no earlier run's log behind. Nothing is
// written without a usable title. The log is command's /log= where given.
void LogStartFailure(const std::wstring& title, const CommandLine& command,
                     const std::wstring& reason, DWORD exitCode);
