#include "app/Unattended.h"

#include <shlobj.h>

#include <algorithm>

#include "app/Relaunch.h"
#include "install/InstallFolder.h"
#include "install/InstallNames.h"
#include "install/InstallRun.h"
#include "install/Record.h"
#include "install/Removal.h"
#include "install/TempCopy.h"
#include "install/UninstallEntry.h"
#include "install/Verify.h"
#include "launcher/RemovalPrompts.h"
#include "package/SafeNames.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "text/PathText.h"
#include "text/Utf8.h"
#include "win/Dialog.h"
#include "win/Files.h"
#include "win/Handles.h"
#include "win/Paths.h"
#include "win/Processes.h"
#include "win/Shell.h"
#include "wizard/CheckProgress.h"
#include "wizard/InstallWizard.h"

namespace {

// The log of one unattended run: %TEMP%\setup_<title>.log (LogFileName),
// written afresh from the moment it is made, one UTF-8 line per step; a
// temporary folder that was deleted is made again. Without a title nothing
// is written.
class CLog {
 public:
  // Nothing is written without a title; path, when given, is the log's.
  CLog(const std::wstring& title, std::optional<std::wstring> path)
      : m_title(title), m_path(std::move(path)) {
    if (m_title.empty()) return;
    CreateDirectoryChain(TempFolder());
    Open(CREATE_ALWAYS);
  }
  // Where the log goes; none without a title that can name a file.
  std::optional<std::wstring> Path() const {
    if (m_title.empty()) return std::nullopt;
    if (m_path) return m_path;
    const std::wstring temp = TempFolder();
    return TempFilePath(temp, LogFileName(temp, m_title));
  }
  // A log was asked for and could not be made: the run must not go on and
  // end without one.
  bool Failed() const { return !m_title.empty() && !m_file; }
  void Line(const std::wstring& text) {
    const std::string bytes = text::ToUtf8(text) + "\r\n";
    DWORD written = 0;
    if (m_file)
      (void)::WriteFile(m_file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                        nullptr);
  }
  // The last line: the exit code and, for a failure, its reason; a script
  // finds it with grep "exit code".
  DWORD End(DWORD code, const std::wstring& reason = {}) {
    Line((code == kExitDone ? L"done with exit code 0"
                            : L"failed with exit code " + std::to_wstring(code) + L": " + reason));
    return code;
  }
  // Closed while a copy of the program runs this run and writes the log
  // afresh itself; taken up again, at its end, when the copy did not start.
  void Pause() { m_file.reset(); }
  void Resume() {
    if (!m_title.empty() && Open(OPEN_ALWAYS))
      (void)::SetFilePointer(m_file.get(), 0, nullptr, FILE_END);
  }

 private:
  bool Open(DWORD disposition) {
    const std::optional<std::wstring> path = Path();
    if (path)
      m_file.reset(::CreateFileW(path->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(m_file);
  }

  std::wstring m_title;
  std::optional<std::wstring> m_path;
  win::UniqueFile m_file;
};

// The unattended install's side of an installation: every file from the
// source folder or from the folder of its disc label beside it, no
// question asked; the first failure ends the run and says why.
class CSilentHost : public CInstallHost {
 public:
  CSilentHost(CLog& log, const std::wstring& sourceDir)
      : m_log(log), m_sourceDir(text::WithTrailingBackslash(sourceDir)) {
    // "X:\set\DISC1\" gives "X:\set\"; a drive root has no folder beside it.
    const std::wstring folder = m_sourceDir.substr(0, m_sourceDir.size() - 1);
    const std::size_t cut = folder.rfind(L'\\');
    if (cut != std::wstring::npos) m_besideSource = folder.substr(0, cut + 1);
  }

  std::vector<std::wstring> SourcePaths(const FileEntry& file) override {
    std::vector<std::wstring> paths{m_sourceDir + file.name};
    const std::wstring disc = DiscFolder(file);
    if (!disc.empty() && !SameFolder(disc, m_sourceDir)) paths.push_back(disc + file.name);
    return paths;
  }
  Choice SourceMissing(const FileEntry& file) override {
    const std::wstring disc = DiscFolder(file);
    return Fail(kExitDiscMissing, L"the files of disc " + file.disc + L" were not found: " +
                                      file.name + L" is neither in " + m_sourceDir +
                                      (disc.empty() ? L"" : L" nor in " + disc));
  }
  Choice CopyFailed(const FileEntry& file) override {
    return Fail(kExitFailed, L"the copy of " + file.name + L" failed");
  }
  Choice ContentDiffers(const FileEntry& file) override {
    return Fail(kExitFailed, L"the content of " + file.name + L" (" + file.disc +
                                 L") differs from the package's; the copy was deleted");
  }
  void RecordFailed() override {
    (void)Fail(kExitFailed, L"the install record could not be written to the registry");
  }
  void Note(const std::wstring& line) override { m_log.Line(line); }
  std::wstring SourceFolder() override { return m_sourceDir; }
  // Whether any of the file's source paths is there.
  bool Finds(const FileEntry& file) {
    for (const std::wstring& path : SourcePaths(file))
      if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return false;
  }

  DWORD code = kExitFailed;
  std::wstring reason = L"the installation failed";

 private:
  // The folder named after the file's disc label beside the source folder;
  // empty without one, or for a label that is no plain folder name.
  std::wstring DiscFolder(const FileEntry& file) const {
    if (m_besideSource.empty() || !IsSafeFileName(file.disc)) return {};
    return m_besideSource + file.disc + L"\\";
  }
  Choice Fail(DWORD failure, const std::wstring& why) {
    code = failure;
    reason = why;
    return Choice::kAbort;
  }

  CLog& m_log;
  std::wstring m_sourceDir;
  std::wstring m_besideSource;
};

// The switches that carry this run on in another process: what it is, and
// where its log goes (a process with other rights has another %TEMP%).
std::wstring PassedOnSwitches(const CommandLine& command, const CLog& log) {
  std::wstring switches = command.repair    ? L"/repair"
                         : command.install ? L"/install"
                                           : L"/uninstall";
  if (command.uninstall && command.confirmed) switches += L" /confirmed";
  if (command.silent) {
    switches = command.uninstall ? L"/S /uninstall" : command.repair ? L"/S /repair" : L"/S";
    if (const std::optional<std::wstring> path = log.Path())
      switches += L" " + QuoteArgument(L"/log=" + *path);
  }
  // Last: it takes the rest of the line.
  if (command.installFolder) switches += L" /D=" + *command.installFolder;
  return switches;
}

// The run again, in a process of its own started with administrator
// rights; this one waits and passes on its exit code. The interactive
// removal asks its question first, so that a No costs no prompt for rights.
DWORD RunWithRights(const SetupInfo& info, CommandLine command, const std::wstring& sourceDir,
                    CLog& log) {
  if (command.uninstall && !command.silent && !command.confirmed) {
    if (!AskUninstall(nullptr)) return kExitFailed;
    command.confirmed = true;
  }
  const std::wstring parameters =
      QuoteArgument(sourceDir) + L" " + PassedOnSwitches(command, log);
  // The process with rights writes the log afresh itself.
  log.Pause();
  bool copyFailed = false;
  const std::optional<DWORD> code =
      RunSelfElevatedAndWait(nullptr, info.title, parameters, sourceDir, &copyFailed);
  if (code) return *code;
  // Refused, or not started at all: nothing was done, and only a log tells.
  const bool refused = ::GetLastError() == ERROR_CANCELLED;
  log.Resume();
  return log.End(kExitFailed,
                 copyFailed ? L"no copy of the program could be made in the temporary folder"
                 : refused  ? L"administrator rights were refused"
                            : L"the program could not be started with administrator rights");
}

// /install: the wizard, without the launcher.
DWORD InstallWithWizard(SetupInfo& info, const CommandLine& command, HBITMAP wizardPicture) {
  if (!InstalledFolder(info).empty()) {
    win::ShowMessage(nullptr, ui::kAlreadyInstalled, ui::kInstallCaption, MB_OK);
    return kExitNothingToDo;
  }
  // From the first disc of several, the wizard runs from a copy in the
  // temporary folder, so that the disc can be changed.
  if (!info.singleDisc && !command.folder) {
    bool started = false;
    const DWORD code = RelaunchFromTempCopy(info.title, CurrentFolder(), L"/install", true, &started);
    if (started) return code;
  }
  RunInstallWizard(nullptr, info, wizardPicture);
  return InstalledFolder(info).empty() ? kExitFailed : kExitDone;
}

DWORD SilentInstall(SetupInfo& info, const CommandLine& command, const std::wstring& sourceDir,
                    CLog& log) {
  // Made full and plain as the destination page makes a typed folder.
  const InstallFolderChoice choice = ChooseInstallFolder(
      command.installFolder.value_or(
          DefaultInstallFolder(GetSpecialFolderPath(CSIDL_PROGRAM_FILES), info)),
      info.files);
  const std::wstring& folder = choice.folder;
  if (choice.refusal == FolderRefusal::kTooLong) {
    return log.End(kExitUsage, L"the folder " + FolderForDisplay(folder) +
                                   L" is too long: this product's files allow at most " +
                                   std::to_wstring(choice.maxChars) + L" characters");
  }
  log.Line(L"install " + info.title + L" (" + info.company + L") from " + sourceDir + L" to " +
           folder);
  const std::wstring installed = InstalledFolder(info);
  if (!installed.empty()) return log.End(kExitNothingToDo, L"already installed in " + installed);

  const std::uint64_t required = BytesToInstall(info);
  const std::wstring drive = FreeSpaceQueryPath(folder);
  ULARGE_INTEGER available{};
  // A drive that cannot tell its free space is tried all the same.
  if (::GetDiskFreeSpaceExW(drive.c_str(), &available, nullptr, nullptr) &&
      available.QuadPart < required) {
    return log.End(kExitFailed, L"not enough space on " + drive + L": " +
                                    std::to_wstring(required >> 10) + L" KB needed, " +
                                    std::to_wstring(available.QuadPart >> 10) + L" KB free");
  }

  info.installDir = folder;
  CSilentHost host(log, sourceDir);
  if (!RunInstall(info, host)) return log.End(host.code, host.reason);
  return log.End(kExitDone);
}

DWORD Uninstall(const SetupInfo& info, const CommandLine& command, const std::wstring& sourceDir,
                CLog& log) {
  const bool silent = command.silent;
  const std::wstring installed = InstalledFolder(info);
  const std::wstring copyFolder = installed + kUninstallFolder;
  if (!installed.empty() && SameFolder(ModuleFolder(), copyFolder)) {
    // Started from the uninstall copy, whose folder is to go: the removal
    // runs from a copy in the temporary folder, which writes the log, and
    // this process passes on its exit code.
    (void)::SetCurrentDirectoryW(TempFolder().c_str());
    bool started = false;
    log.Pause();
    const DWORD code =
        RelaunchFromTempCopy(info.title, copyFolder, PassedOnSwitches(command, log), true, &started);
    if (started) return code;
    log.Resume();
    log.Line(L"warning: no copy could be started from the temporary folder; removing from here");
  }
  log.Line(L"uninstall " + info.title + L" (" + info.company + L")");
  if (installed.empty()) {
    if (!silent) win::ShowMessage(nullptr, ui::kNotInstalled, ui::kUninstallCaption, MB_OK);
    return log.End(kExitNothingToDo, L"not installed");
  }
  // Nothing of this process may hold the copy's folder.
  if (SameFolder(sourceDir, copyFolder)) (void)::SetCurrentDirectoryW(TempFolder().c_str());
  if (!silent && !command.confirmed && !AskUninstall(nullptr))
    return log.End(kExitFailed, L"not confirmed");
  const UninstallResult result =
      UninstallProduct(info, [&](const std::wstring& line) { log.Line(line); });
  if (!silent) TellUninstallResult(nullptr, info, result);
  if (result.filesLeft != 0) {
    return log.End(kExitFailed, std::to_wstring(result.filesLeft) +
                                    L" listed files could not be deleted, the first: " +
                                    result.firstLeft);
  }
  if (result.recordKeyLeft) {
    return log.End(kExitFailed, L"the record's key HKEY_LOCAL_MACHINE\\" +
                                    InstallRecordKeyPath(info) +
                                    L" holds other keys and stays; its folder value is deleted");
  }
  if (!result.entryKeyLeft.empty()) {
    return log.End(kExitFailed, L"the Apps & features entry HKEY_LOCAL_MACHINE\\" +
                                    result.entryKeyLeft + L" could not be deleted");
  }
  if (!result.copyLeft.empty()) {
    return log.End(kExitFailed, L"the uninstall copy " + result.copyLeft +
                                    L" could neither be deleted nor marked for deletion at the "
                                    L"next restart");
  }
  return log.End(kExitDone);
}

// /repair [/S]: every listed file checked in the install folder, and those
// that are missing or differ restored from the source folder.
DWORD Repair(SetupInfo& info, const CommandLine& command, const std::wstring& sourceDir,
             CLog& log, HBITMAP wizardPicture) {
  const bool silent = command.silent;
  const std::wstring installed = InstalledFolder(info);
  // Started from the uninstall copy (the entry's Modify), the files come
  // from where the installation came from; otherwise from the source folder.
  std::wstring source = sourceDir;
  if (!installed.empty() && SameFolder(sourceDir, installed + kUninstallFolder)) {
    const std::wstring recorded = RecordedInstallSource(info);
    if (!recorded.empty()) source = recorded;
  }
  log.Line(L"repair " + info.title + L" (" + info.company + L") from " + source);
  if (installed.empty()) {
    if (!silent) win::ShowMessage(nullptr, ui::kNotInstalled, ui::kRepairCaption, MB_OK);
    return log.End(kExitNothingToDo, L"not installed");
  }
  // From the first disc of several, the restore runs from a copy in the
  // temporary folder, so that the disc can be changed.
  if (!silent && !info.singleDisc && !command.folder && SameFolder(ModuleFolder(), source)) {
    bool started = false;
    const DWORD code = RelaunchFromTempCopy(info.title, sourceDir, L"/repair", true, &started);
    if (started) return code;
  }
  info.installDir = installed;
  // Nothing of this process holds the uninstall copy's folder; a source
  // that is not there (the disc is out) is asked for by its label.
  (void)::SetCurrentDirectoryW(source.c_str());
  const std::vector<FileEntry> damaged = silent ? DamagedFiles(info, installed, {})
                                                : CheckWithProgress(nullptr, info, installed);
  for (const FileEntry& file : damaged) log.Line(L"differs " + installed + file.name);
  if (damaged.empty()) {
    if (!silent) win::ShowMessage(nullptr, ui::kIntact, ui::kRepairCaption, MB_OK);
    log.Line(L"intact: every listed file is as the package says");
    return log.End(kExitDone);
  }
  if (!silent) {
    if (win::ShowMessage(nullptr, ui::DamagedText(damaged.size()), ui::kRepairCaption,
                         MB_YESNO) != IDYES)
      return kExitFailed;
    if (!RunRepairWizard(nullptr, info, damaged, wizardPicture)) return kExitFailed;
    win::ShowMessage(nullptr, ui::RepairedText(damaged.size()), ui::kRepairCaption, MB_OK);
    return kExitDone;
  }
  // Unattended, whatever can be found is restored, and a disc whose files
  // are not found is named at the end.
  CSilentHost host(log, source);
  std::vector<FileEntry> found;
  const FileEntry* missing = nullptr;
  for (const FileEntry& file : damaged) {
    if (host.Finds(file)) {
      found.push_back(file);
    } else if (!missing) {
      missing = &file;
    }
  }
  if (!RunInstall(info, host, &found)) return log.End(host.code, host.reason);
  log.Line(L"restored " + std::to_wstring(found.size()) + L" of " +
           std::to_wstring(damaged.size()) + L" files");
  if (missing) {
    (void)host.SourceMissing(*missing);
    return log.End(host.code, host.reason);
  }
  return log.End(kExitDone);
}

}  // namespace

std::optional<std::wstring> UsageError(const CommandLine& command) {
  if (!command.silent) return std::nullopt;
  if (!command.unknown.empty()) return L"unknown switch " + command.unknown.front();
  if (command.installFolder && command.uninstall) return L"/D= does not go with /uninstall";
  if (command.installFolder && command.repair) return L"/D= does not go with /repair";
  if (command.repair && command.uninstall) return L"/repair does not go with /uninstall";
  if (command.installFolder &&
      ChooseInstallFolder(*command.installFolder, {}).refusal == FolderRefusal::kNotFull)
    return L"/D= needs a full folder path, not \"" + *command.installFolder + L"\"";
  return std::nullopt;
}

bool RunsWithoutLauncher(const CommandLine& command, const SetupInfo& info,
                         const std::wstring& sourceDir) {
  if (command.silent || command.uninstall || command.install || command.repair) return true;
  const std::wstring installed = InstalledFolder(info);
  if (installed.empty()) return false;
  const std::wstring copyFolder = installed + kUninstallFolder;
  return SameFolder(ModuleFolder(), copyFolder) || SameFolder(sourceDir, copyFolder);
}

DWORD RunWithoutLauncher(SetupInfo& info, const CommandLine& command,
                         const std::wstring& sourceDir, HBITMAP wizardPicture) {
  // Only a run with /S writes a log; the interactive runs tell their user
  // instead.
  CLog log(command.silent ? info.title : std::wstring(), command.logFile);
  // Nothing is done that the log could not tell: a script reads it.
  if (log.Failed()) return kExitFailed;
  if (const std::optional<std::wstring> usage = UsageError(command))
    return log.End(kExitUsage, *usage);
  if (!win::IsElevated()) return RunWithRights(info, command, sourceDir, log);
  if (command.repair) return Repair(info, command, sourceDir, log, wizardPicture);
  if (command.silent && !command.uninstall) return SilentInstall(info, command, sourceDir, log);
  if (command.install && !command.uninstall) return InstallWithWizard(info, command, wizardPicture);
  return Uninstall(info, command, sourceDir, log);
}

void LogStartFailure(const std::wstring& title, const CommandLine& command,
                     const std::wstring& reason, DWORD exitCode) {
  CLog log(title.empty() ? EntryTitleOfCopy(ModuleFolder()) : title, command.logFile);
  (void)log.End(exitCode, reason);
}
