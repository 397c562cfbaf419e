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

#include "app/ExitCodes.h"
#include "install/CommandLine.h"
#include "install/Record.h"

struct SetupInfo;
class CUserChannel;

// What start-up found, for a run: the settings as the package gave them,
// the command line, the process's role and the folder the package was read
// from (full, ending in a backslash).
struct RunContext {
  const SetupInfo& info;
  const CommandLine& command;
  Role role;
  std::wstring sourceFolder;
};

// Who this process is: the uninstall copy when it runs from the uninstall
// folder of the recorded installation (the system's list starts it with a
// command line of its own), else what its command line says.
Role RoleOf(const CommandLine& command, const RecordedInstall& record);

// Why the command line cannot be carried out, when it cannot: two of
// /install, /uninstall and /repair; with /S also an unknown switch (without
// it they are passed over), /D= that is not a full path, /D= with
// /uninstall or /repair.
std::optional<std::wstring> UsageError(const CommandLine& command);

// True when the command line asks for a run without the launcher, or the
// program runs as the uninstall copy or on its package, which only removes.
bool RunsWithoutLauncher(const RunContext& run);

// Runs command again from a run copy (its role says so) and waits for its
// end: from the first disc of several, so that the disc can be changed.
// Its exit code; none when it could not be made or started.
std::optional<DWORD> RunInRunCopy(const RunContext& run, CommandLine command);

// Carries out a run without the launcher; wizardPicture (may be null) is
// the wizard's. Returns the exit code.
DWORD RunWithoutLauncher(const RunContext& run, HBITMAP wizardPicture);

// Writes the reason why start-up could not use the package into the log of
// title: the package's, or, when it could not be read (empty), the title of
// the Apps & features entry whose uninstall copy this program is, so that a
// removal whose package went leaves no earlier run's log behind. Nothing is
// written without a usable title. The log is command's /log= where given.
void LogStartFailure(const std::wstring& title, const CommandLine& command,
                     const std::wstring& reason, DWORD exitCode);
