#include "install/InstallPlan.h"

#include "package/SafeNames.h"
#include "text/PathText.h"
#include "win/Paths.h"

InstallSources::InstallSources(std::wstring folder, bool everyDisc)
    : m_folder(text::WithTrailingBackslash(std::move(folder))) {
  if (!everyDisc) return;
  m_rootLength = text::RootLengthOf(m_folder);
  // "X:\set\DISC1\" gives "X:\set\"; a drive's root has no folder beside it.
  const std::size_t cut = m_folder.rfind(L'\\', m_folder.size() - 2);
  if (m_folder.size() >= 2 && cut != std::wstring::npos) m_besideFolder = m_folder.substr(0, cut + 1);
}

std::wstring InstallSources::DiscFolderOf(const FileEntry& file) const {
  if (m_besideFolder.empty() || !IsSafeFileName(file.disc)) return {};
  const std::wstring folder = m_besideFolder + file.disc + L"\\";
  // The source folder may itself be the label's folder.
  return SameFolder(folder, m_folder) ? std::wstring() : folder;
}

std::vector<std::wstring> InstallSources::OwnFoldersOf(const FileEntry& file) const {
  std::vector<std::wstring> folders{m_folder};
  std::wstring disc = DiscFolderOf(file);
  if (!disc.empty()) folders.push_back(std::move(disc));
  return folders;
}

std::vector<std::wstring> InstallSources::DriveFolders(
    const std::vector<std::wstring>& drives) const {
  std::vector<std::wstring> folders;
  if (m_rootLength == 0) return folders;
  const std::wstring root = m_folder.substr(0, m_rootLength);
  const std::wstring path = m_folder.substr(m_rootLength);
  for (const std::wstring& drive : drives) {
    if (!SameFolder(drive, root)) folders.push_back(text::WithTrailingBackslash(drive) + path);
  }
  return folders;
}

InstallPlan InstallPlanFor(const SetupInfo& settings, InstallFolder folder, InstallSources sources) {
  return {settings, std::move(folder), std::move(sources), RunKind::kInstall, settings.files};
}

InstallPlan RepairPlanFor(const SetupInfo& settings, InstallFolder folder, InstallSources sources,
                          std::vector<FileEntry> damaged) {
  return {settings, std::move(folder), std::move(sources), RunKind::kRepair, std::move(damaged)};
}
