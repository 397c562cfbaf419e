#include "app/RepairVerb.h"

#include <algorithm>

#include "app/UserChannel.h"
#include "install/InstallNames.h"
#include "install/InstallPlan.h"
#include "install/UninstallCopy.h"
#include "install/UninstallEntry.h"
#include "package/PackageFile.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "win/Paths.h"

std::wstring CRepairVerb::SourceFolder(const InstallFolder& installed) const {
  if (m_run.role == Role::kUninstallCopy ||
      SameFolder(m_run.sourceFolder, installed / kUninstallFolder)) {
    const std::wstring recorded = RecordedInstallSource(m_run.info);
    if (!recorded.empty()) return recorded;
  }
  return m_run.sourceFolder;
}

bool CRepairVerb::IsAnotherVersion(const InstallFolder& installed) const {
  // Without an uninstall copy (or with another product's) the disc's
  // package is the one the installation keeps.
  const std::optional<std::vector<char>> bytes = ReadPackageFile(installed / kUninstallPackage);
  SetupInfo own;
  CPackageFile package;
  if (!bytes || !IsPackageOf(bytes, m_run.info) ||
      !package.OpenPackage(bytes->data(), bytes->size()) || !LoadSettings(package, own) ||
      !LoadFileSizes(package, own))
    return false;
  LoadFileHashes(package, own);
  const auto same = [](const FileEntry& a, const FileEntry& b) {
    return a.name == b.name && a.size == b.size && a.hash == b.hash;
  };
  const std::vector<FileEntry>& disc = m_run.info.files;
  return !std::equal(own.files.begin(), own.files.end(), disc.begin(), disc.end(), same);
}

DWORD CRepairVerb::Run() {
  const SetupInfo& info = m_run.info;
  const RecordedInstall record = ReadInstallRecord(info);
  const std::wstring source = record.folder ? SourceFolder(*record.folder) : m_run.sourceFolder;
  m_channel.Note(L"repair " + info.title + L" (" + info.company + L") from " + source);
  // An installation that never ended complete is gone on with by Install,
  // which also writes what a repair would not (the record, the links).
  if (!record.installed || !record.folder) {
    m_channel.Tell(ui::kNotInstalled, ui::kRepairCaption);
    return m_channel.End(kExitNothingToDo, L"not installed");
  }
  const InstallFolder& folder = *record.folder;
  // Restored from another version's disc, the installation would hold files
  // that its uninstall copy does not list, and no removal would delete them.
  if (IsAnotherVersion(folder)) {
    m_channel.Tell(ui::kOtherVersion, ui::kRepairCaption);
    return m_channel.End(kExitFailed, L"the disc holds another version of " + info.title +
                                          L" than the one installed in " + folder.Path() +
                                          L"; nothing was changed");
  }
  // From the first disc of several, the restore runs from a run copy, so
  // that the disc can be changed.
  if (m_channel.WithWindows() && !info.singleDisc && m_run.role == Role::kStarted &&
      SameFolder(ModuleFolder(), source)) {
    CommandLine command;
    command.folder = m_run.sourceFolder;
    command.repair = true;
    if (const std::optional<DWORD> code = RunInRunCopy(m_run, command)) return *code;
  }
  const std::vector<FileEntry> damaged = m_channel.Check(info, folder);
  for (const FileEntry& file : damaged) m_channel.Note(L"differs " + folder / file.name);
  if (damaged.empty()) {
    m_channel.Tell(ui::kIntact, ui::kRepairCaption);
    m_channel.Note(L"intact: every listed file is as the package says");
    return m_channel.End(kExitDone);
  }
  if (!m_channel.Confirm(ui::DamagedText(damaged.size()), ui::kRepairCaption, MB_DEFBUTTON1))
    return kExitFailed;
  const CopyOutcome restored =
      m_channel.Restore(RepairPlanFor(info, folder, InstallSources(source, true), damaged));
  if (restored.code != kExitDone) return m_channel.End(restored.code, restored.reason);
  m_channel.Tell(ui::RepairedText(damaged.size()), ui::kRepairCaption);
  return m_channel.End(kExitDone);
}
