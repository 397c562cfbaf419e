#include "uninstall/Uninstall.h"

#include <windows.h>
#include <shlobj.h>

#include "package/InstallRecord.h"
#include "package/SetupInfo.h"
#include "win/Registry.h"
#include "win/ShellFolders.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Removes base + relativeFolder and then its parents, innermost first, while
// they are empty; stops at base, which stays.
void RemoveEmptyFolders(const std::wstring& base, std::wstring relativeFolder) {
  while (!relativeFolder.empty()) {
    if (!::RemoveDirectoryW((base + relativeFolder).c_str())) return;
    std::size_t cut = relativeFolder.size();
    while (cut > 0 && !IsSeparator(relativeFolder[cut - 1])) --cut;
    if (cut == 0) return;
    relativeFolder.resize(cut - 1);
  }
}

}  // namespace

bool DeleteFileAndEmptyParents(const std::wstring& baseFolder, const std::wstring& relativePath) {
  if (!::DeleteFileW((baseFolder + relativePath).c_str())) {
    // Read-only or in use it stays; missing, it is gone already.
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  std::size_t cut = relativePath.size();
  while (cut > 0 && !IsSeparator(relativePath[cut - 1])) --cut;
  if (cut > 0) RemoveEmptyFolders(baseFolder, relativePath.substr(0, cut - 1));
  return true;
}

UninstallResult UninstallProduct(const SetupInfo& info) {
  UninstallResult result;
  const std::wstring keyPath = InstallRecordKeyPath(info);
  if (keyPath.empty()) return result;  // such a product never had a record

  // The files go only relative to the recorded folder; without one (another
  // launcher removed the product meanwhile) the links and the key still go.
  const std::wstring folder = ReadRegString(HKEY_LOCAL_MACHINE, keyPath, kInstallRecordValue, L"");
  if (IsFullFolderPath(folder)) {
    for (const FileEntry& file : info.files) {
      if (DeleteFileAndEmptyParents(folder, file.name)) continue;
      if (result.filesLeft++ == 0) result.firstLeft = folder + file.name;
    }
  }

  const std::wstring desktop = GetSpecialFolderPath(CSIDL_DESKTOP);
  if (!desktop.empty()) ::DeleteFileW((desktop + info.title + L".lnk").c_str());

  const std::wstring programs = GetSpecialFolderPath(CSIDL_PROGRAMS);
  if (!programs.empty()) {
    const std::wstring menu = info.menuFolder + L"\\";
    // A caption may name a sub-folder of the menu folder; it goes when empty.
    DeleteFileAndEmptyParents(programs, menu + info.title + L".lnk");
    for (const MenuEntry& entry : info.menus) {
      DeleteFileAndEmptyParents(programs, menu + entry.caption + L".lnk");
    }
    RemoveEmptyFolders(programs, info.menuFolder);
  }

  // The maker's key above stays, even when it is now empty. With files
  // left, the record stays, so the removal is offered again.
  if (result.filesLeft == 0) ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath.c_str());
  return result;
}
