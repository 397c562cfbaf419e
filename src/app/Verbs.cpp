#include "app/Verbs.h"

#include "app/InstallVerb.h"
#include "app/RemovalVerb.h"
#include "app/RepairVerb.h"
#include "app/UserChannel.h"
#include "install/InstallFolder.h"
#include "install/InstallNames.h"
#include "install/StartAgain.h"
#include "install/UninstallCopy.h"
#include "install/UninstallEntry.h"
#include "launcher/RemovalPrompts.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "win/Paths.h"
#include "win/Processes.h"

namespace {

// The run again, in a process of its own started with administrator
// rights; this one waits and passes on its exit code. The interactive
// removal asks its question first, so that a No costs no prompt for rights.
DWORD RunWithRights(const RunContext& run, CUserChannel& channel) {
  CommandLine passed = run.command;
  if (passed.uninstall && !passed.silent && !passed.confirmed) {
    if (!AskUninstall(nullptr)) return kExitFailed;
    passed.confirmed = true;
  }
  passed.folder = run.sourceFolder;
  passed.role = Role::kElevated;
  passed.unknown.clear();
  // A process with other rights has another %TEMP%: the log stays here.
  if (passed.silent) passed.logFile = channel.LogPath();
  StartRequest request;
  request.from = ProgramForRights(run.role);
  request.title = run.info.title;
  request.command = passed;
  request.withRights = true;
  request.folder = run.sourceFolder;
  // The process with rights writes the log afresh itself.
  channel.Pause();
  const StartResult started = StartProgram(request);
  if (started.failure == StartResult::Failure::kNone) return started.exitCode;
  // Refused, or not started at all: nothing was done, and only a log tells.
  channel.Resume();
  using Failure = StartResult::Failure;
  return channel.End(kExitFailed,
                     started.failure == Failure::kNoCopy
                         ? L"no copy of the program could be made in the temporary folder"
                     : started.failure == Failure::kRefused
                         ? L"administrator rights were refused"
                         : L"the program could not be started with administrator rights");
}

}  // namespace

std::optional<DWORD> RunInRunCopy(const RunContext& run, CommandLine command) {
  command.role = Role::kRunCopy;
  command.unknown.clear();
  StartRequest request;
  request.title = run.info.title;
  request.command = std::move(command);
  const StartResult started = StartProgram(request);
  if (!started.Started()) return std::nullopt;
  return started.exitCode;
}

Role RoleOf(const CommandLine& command, const RecordedInstall& record) {
  if (record.folder && SameFolder(ModuleFolder(), *record.folder / kUninstallFolder))
    return Role::kUninstallCopy;
  return command.role;
}

std::optional<std::wstring> UsageError(const CommandLine& command) {
  // Two commands at once: which one was meant, nobody can tell.
  std::optional<std::wstring> twoCommands;
  if (CommandsAskedFor(command) > 1) {
    twoCommands = command.install ? L"/install does not go with " +
                                        std::wstring(command.uninstall ? L"/uninstall" : L"/repair")
                                  : L"/repair does not go with /uninstall";
  }
  if (!command.silent) return twoCommands;
  if (!command.unknown.empty()) return L"unknown switch " + command.unknown.front();
  if (command.installFolder && command.uninstall) return L"/D= does not go with /uninstall";
  if (command.installFolder && command.repair) return L"/D= does not go with /repair";
  if (twoCommands) return twoCommands;
  if (command.installFolder && !PlainInstallFolder(*command.installFolder))
    return L"/D= needs a full folder path, not \"" + *command.installFolder + L"\"";
  return std::nullopt;
}

bool RunsWithoutLauncher(const RunContext& run) {
  const CommandLine& command = run.command;
  if (command.silent || command.uninstall || command.install || command.repair) return true;
  if (run.role == Role::kUninstallCopy) return true;
  const RecordedInstall record = ReadInstallRecord(run.info);
  return record.folder && SameFolder(run.sourceFolder, *record.folder / kUninstallFolder);
}

DWORD RunWithoutLauncher(const RunContext& run, HBITMAP wizardPicture) {
  const CommandLine& command = run.command;
  // Only a run with /S writes a log; the interactive runs tell their person
  // instead.
  CLogChannel log(command.silent ? run.info.title : std::wstring(), command.logFile);
  CBoxChannel boxes(wizardPicture);
  CUserChannel& channel = command.silent ? static_cast<CUserChannel&>(log) : boxes;
  // Nothing is done that the log could not tell: a script reads it.
  if (log.Failed()) return kExitFailed;
  if (const std::optional<std::wstring> usage = UsageError(command)) {
    // Without /S only two commands at once are refused: other switches are
    // passed over.
    if (CommandsAskedFor(command) > 1)
      channel.Tell(ui::kOneCommandOnly, ui::kSetupCaption, MB_ICONERROR);
    return channel.End(kExitUsage, *usage);
  }
  if (!win::IsElevated()) return RunWithRights(run, channel);
  if (command.repair) return CRepairVerb(run, channel).Run();
  if ((command.silent || command.install) && !command.uninstall)
    return CInstallVerb(run, channel, wizardPicture).Run();
  return CRemovalVerb(run, channel).Run();
}

void LogStartFailure(const std::wstring& title, const CommandLine& command,
                     const std::wstring& reason, DWORD exitCode) {
  CLogChannel log(title.empty() ? EntryTitleOfCopy(ModuleFolder()) : title, command.logFile);
  (void)log.End(exitCode, reason);
}
