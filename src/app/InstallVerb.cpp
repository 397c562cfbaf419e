#include "app/InstallVerb.h"

#include <shlobj.h>

#include "app/UserChannel.h"
#include "install/InstallFolder.h"
#include "install/InstallPlan.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "win/Shell.h"
#include "wizard/InstallWizard.h"

DWORD CInstallVerb::Run() { return m_channel.WithWindows() ? WithWizard() : Unattended(); }

DWORD CInstallVerb::WithWizard() {
  const SetupInfo& info = m_run.info;
  const RecordedInstall record = ReadInstallRecord(info);
  if (record.installed) {
    m_channel.Tell(ui::kAlreadyInstalled, ui::kInstallCaption);
    return kExitNothingToDo;
  }
  // From the first disc of several, the wizard runs from a run copy, so
  // that the disc can be changed.
  if (!info.singleDisc && m_run.role == Role::kStarted) {
    CommandLine command;
    command.folder = m_run.sourceFolder;
    command.install = true;
    if (const std::optional<DWORD> code = RunInRunCopy(m_run, command)) return *code;
  }
  // An installation that never ended complete goes on where it was.
  RunInstallWizard(nullptr, info, InstallSources(m_run.sourceFolder, true),
                   record.interrupted ? record.folder : std::nullopt, m_hWizardPicture);
  return ReadInstallRecord(info).installed ? kExitDone : kExitFailed;
}

DWORD CInstallVerb::Unattended() {
  const SetupInfo& info = m_run.info;
  // Made full and plain as the destination page makes a typed folder.
  // Without /D=, an installation that never ended complete goes on where
  // it was.
  const RecordedInstall record = ReadInstallRecord(info);
  const std::wstring proposed =
      record.interrupted && record.folder
          ? record.folder->Path()
          : DefaultInstallFolder(GetSpecialFolderPath(CSIDL_PROGRAM_FILES), info);
  const InstallFolderChoice choice =
      ChooseInstallFolder(m_run.command.installFolder.value_or(proposed), info.files);
  // UsageError refused a folder that is not full.
  const std::wstring& folder = choice.folder->Path();
  if (choice.refusal == FolderRefusal::kTooLong) {
    return m_channel.End(kExitUsage, L"the folder " + FolderForDisplay(folder) +
                                         L" is too long: this product's files allow at most " +
                                         std::to_wstring(choice.maxChars) + L" characters");
  }
  m_channel.Note(L"install " + info.title + L" (" + info.company + L") from " + m_run.sourceFolder +
                 L" to " + folder);
  if (record.installed) {
    return m_channel.End(kExitNothingToDo,
                         L"already installed in " + (record.folder ? record.folder->Path() : L""));
  }

  const std::uint64_t required = BytesToInstall(info);
  const std::wstring drive = FreeSpaceQueryPath(folder);
  ULARGE_INTEGER available{};
  // A drive that cannot tell its free space is tried all the same.
  if (::GetDiskFreeSpaceExW(drive.c_str(), &available, nullptr, nullptr) &&
      available.QuadPart < required) {
    return m_channel.End(kExitFailed, L"not enough space on " + drive + L": " +
                                          std::to_wstring(required >> 10) + L" KB needed, " +
                                          std::to_wstring(available.QuadPart >> 10) + L" KB free");
  }
  const InstallPlan plan =
      InstallPlanFor(info, *choice.folder, InstallSources(m_run.sourceFolder, true));
  const CopyOutcome copied = m_channel.Copy(plan);
  return m_channel.End(copied.code, copied.reason);
}
