#include "app/RemovalVerb.h"

#include "app/UserChannel.h"
#include "install/InstallNames.h"
#include "install/Removal.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "win/Paths.h"

std::optional<DWORD> CRemovalVerb::RunFromRunCopy(const InstallFolder& installed) {
  CommandLine command = m_run.command;
  command.folder = installed / kUninstallFolder;
  command.logFile = m_channel.LogPath();
  // The copy writes the log afresh itself.
  m_channel.Pause();
  const std::optional<DWORD> code = RunInRunCopy(m_run, command);
  if (!code) m_channel.Resume();
  return code;
}

DWORD CRemovalVerb::Run() {
  const SetupInfo& info = m_run.info;
  // Nothing of this process may hold a folder that is to go (the source
  // folder may be the uninstall copy's).
  (void)::SetCurrentDirectoryW(TempFolder().c_str());
  const RecordedInstall record = ReadInstallRecord(info);
  if (m_run.role == Role::kUninstallCopy && record.folder) {
    if (const std::optional<DWORD> code = RunFromRunCopy(*record.folder)) return *code;
    m_channel.Note(
        L"warning: no copy could be started from the temporary folder; removing from here");
  }
  m_channel.Note(L"uninstall " + info.title + L" (" + info.company + L")");
  if (!record.installed && !record.interrupted) {
    m_channel.Tell(ui::kNotInstalled, ui::kUninstallCaption);
    return m_channel.End(kExitNothingToDo, L"not installed");
  }
  if (!m_run.command.confirmed &&
      !m_channel.Confirm(ui::kAskUninstall, ui::kUninstallCaption, MB_DEFBUTTON2))
    return m_channel.End(kExitFailed, L"not confirmed");
  return End(UninstallProduct(
      info, record.folder, [&](const std::wstring& line) { m_channel.Note(line); },
      record.installed ? RemovalOf::kInstallation : RemovalOf::kInterrupted));
}

DWORD CRemovalVerb::End(const UninstallResult& result) {
  if (result.filesLeft != 0) {
    // The record stays: Uninstall remains offered for another try.
    m_channel.Tell(ui::UninstallLeftText(result.filesLeft, result.firstLeft),
                   ui::kUninstallCaption, MB_ICONWARNING);
    return m_channel.End(kExitFailed, std::to_wstring(result.filesLeft) +
                                          L" listed files could not be deleted, the first: " +
                                          result.firstLeft);
  }
  if (result.recordKeyLeft) {
    const std::wstring key = L"HKEY_LOCAL_MACHINE\\" + InstallRecordKeyPath(m_run.info);
    m_channel.Tell(ui::RecordKeyLeftText(key), ui::kUninstallCaption, MB_ICONWARNING);
    return m_channel.End(kExitFailed, L"the record's key " + key +
                                          L" holds other keys and stays; its folder value is "
                                          L"deleted");
  }
  if (!result.entryKeyLeft.empty()) {
    const std::wstring key = L"HKEY_LOCAL_MACHINE\\" + result.entryKeyLeft;
    m_channel.Tell(ui::RecordKeyLeftText(key), ui::kUninstallCaption, MB_ICONWARNING);
    return m_channel.End(kExitFailed, L"the Apps & features entry " + key +
                                          L" could not be deleted");
  }
  if (!result.copyLeft.empty()) {
    m_channel.Tell(ui::FileLeftText(result.copyLeft), ui::kUninstallCaption, MB_ICONWARNING);
    return m_channel.End(kExitFailed, L"the uninstall copy " + result.copyLeft +
                                          L" could neither be deleted nor marked for deletion at "
                                          L"the next restart");
  }
  m_channel.Tell(ui::kUninstalled, ui::kUninstallCaption);
  return m_channel.End(kExitDone);
}
