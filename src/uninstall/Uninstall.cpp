#include "uninstall/Uninstall.h"

#include <windows.h>
#include <shlobj.h>

#include <optional>

#include "package/InstallRecord.h"
#include "package/SetupInfo.h"
#include "res/Texts.h"
#include "win/Dialog.h"
#include "win/Handles.h"
#include "win/Registry.h"
#include "win/ShellFolders.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Removes base + relativeFolder and then its parents, innermost first, while
// they are empty; stops at base, which stays.
void RemoveEmptyFolders(const std::wstring& base, std::wstring relativeFolder) {
  while (!relativeFolder.empty()) {
    if (!::RemoveDirectoryW(ExtendedPath(base + relativeFolder).c_str())) return;
    std::size_t cut = relativeFolder.size();
    while (cut > 0 && !IsSeparator(relativeFolder[cut - 1])) --cut;
    if (cut == 0) return;
    relativeFolder.resize(cut - 1);
  }
}

// Deletes a file; a read-only one loses that attribute first, and gets it
// back when it stays all the same (it is in use).
bool DeleteAnyFile(const std::wstring& path) {
  if (::DeleteFileW(path.c_str())) return true;
  const DWORD error = ::GetLastError();
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (error != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) !=
          FILE_ATTRIBUTE_READONLY ||
      !::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
    ::SetLastError(error);
    return false;
  }
  if (::DeleteFileW(path.c_str())) return true;
  const DWORD retryError = ::GetLastError();
  (void)::SetFileAttributesW(path.c_str(), attributes);
  ::SetLastError(retryError);
  return false;
}

// Whether the system says that nothing is at path after DeleteAnyFile failed
// with error: no such file, or not even its folder. Any other error, a path
// too long among them, leaves the file where it may still be.
bool IsGone(const std::wstring& path, DWORD error) {
  if (error == ERROR_FILE_NOT_FOUND) return true;
  const std::optional<std::wstring> folder = ParentFolderOf(path);
  if (error != ERROR_PATH_NOT_FOUND || !folder ||
      ::GetFileAttributesW(folder->c_str()) != INVALID_FILE_ATTRIBUTES)
    return false;
  const DWORD folderError = ::GetLastError();
  return folderError == ERROR_FILE_NOT_FOUND || folderError == ERROR_PATH_NOT_FOUND;
}

bool KeyExists(const std::wstring& keyPath) {
  win::UniqueKey key;
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) ==
         ERROR_SUCCESS;
}

// The uninstall copy's program cannot be deleted while it runs: the removal
// was started from it and it waits for the temporary copy that removes.
// Moved into the temporary folder (a running program can be renamed), it
// leaves its folder free and goes at the next restart.
void MoveAsideRunningCopy(const std::wstring& program) {
  const std::wstring temp = TempFolder();
  wchar_t aside[MAX_PATH] = {};
  if (temp.empty() || !::GetTempFileNameW(temp.c_str(), L"stp", 0, aside)) return;
  if (::MoveFileExW(program.c_str(), aside, MOVEFILE_REPLACE_EXISTING)) {
    (void)::MoveFileExW(aside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  } else {
    // Another drive: the program stays until the restart, and so does its
    // folder, which goes then, after it, when nothing else is left in it.
    (void)::DeleteFileW(aside);
    (void)::MoveFileExW(program.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (const std::optional<std::wstring> folder = ParentFolderOf(program))
      (void)::MoveFileExW(folder->c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

}  // namespace

std::wstring InstalledFolder(const SetupInfo& info) {
  const std::wstring folder =
      ReadRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(info), kInstallRecordValue, L"");
  // A record written by hand or by another program may lack the backslash:
  // "C:\Games\X" + "game.exe" would name C:\Games\Xgame.exe.
  return folder.empty() ? folder : WithTrailingBackslash(folder);
}

bool DeleteFileAndEmptyParents(const std::wstring& baseFolder, const std::wstring& relativePath) {
  const std::wstring path = ExtendedPath(baseFolder + relativePath);
  // In use it stays; missing, it is gone already.
  if (!DeleteAnyFile(path)) return IsGone(path, ::GetLastError());
  std::size_t cut = relativePath.size();
  while (cut > 0 && !IsSeparator(relativePath[cut - 1])) --cut;
  if (cut > 0) RemoveEmptyFolders(baseFolder, relativePath.substr(0, cut - 1));
  return true;
}

UninstallResult UninstallProduct(const SetupInfo& info,
                                 const std::function<void(const std::wstring&)>& note) {
  const auto tell = [&](const std::wstring& line) {
    if (note) note(line);
  };
  UninstallResult result;
  const std::wstring keyPath = InstallRecordKeyPath(info);
  if (keyPath.empty()) return result;  // such a product never had a record

  // The files go only relative to the recorded folder; without one (another
  // launcher removed the product meanwhile) the links and the key still go.
  std::wstring folder = InstalledFolder(info);
  const bool haveFolder = IsFullFolderPath(folder);
  if (haveFolder) {
    // Made plain, as the wizard records it: a record written by hand or by an
    // older version may hold ".." parts, which the long-path form would take
    // literally.
    folder = WithTrailingBackslash(FullPath(folder).value_or(folder));
    for (const FileEntry& file : info.files) {
      if (DeleteFileAndEmptyParents(folder, file.name)) {
        tell(L"removed " + folder + file.name);
        continue;
      }
      tell(L"left " + folder + file.name + L" (in use)");
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

  // With files left, the record, the uninstall copy and the Apps & features
  // entry stay, so the removal is offered again. The maker's key above the
  // record stays, even when it is now empty.
  if (result.filesLeft != 0) return result;
  // Another product installed into the same folder may own the copy there.
  const std::wstring package = folder + kUninstallPackage;
  if (haveFolder && IsPackageOf(ReadPackageFile(package), info)) {
    (void)DeleteFileAndEmptyParents(folder, kUninstallPackage);
    if (!DeleteFileAndEmptyParents(folder, kUninstallProgram)) {
      MoveAsideRunningCopy(folder + kUninstallProgram);
      RemoveEmptyFolders(folder, L"uninstall");
    }
  } else if (haveFolder && ::GetFileAttributesW(package.c_str()) != INVALID_FILE_ATTRIBUTES) {
    tell(L"left " + folder + kUninstallFolder + L" (another product's uninstall copy)");
  }
  const std::wstring entryPath = UninstallEntryKeyPath(info);
  const LONG entryDeleted = ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, entryPath.c_str());
  // Never written (another product's copy stood in the folder) counts as gone.
  result.entryKeyLeft = entryDeleted != ERROR_SUCCESS && entryDeleted != ERROR_FILE_NOT_FOUND;
  // The folder value first: with it gone the product counts as removed even
  // when the key stays, because it holds keys of others, which are not ours
  // to delete. That is still told, not passed over.
  (void)::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, keyPath.c_str(), kInstallRecordValue);
  (void)::RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath.c_str());
  result.recordKeyLeft = KeyExists(keyPath);
  tell(L"removed the links, the uninstall copy, the Apps & features entry and the record");
  return result;
}

bool AskUninstall(HWND owner) {
  return win::ShowMessage(owner, ui::kAskUninstall, ui::kUninstallCaption,
                          MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void TellUninstallResult(HWND owner, const SetupInfo& info, const UninstallResult& result) {
  if (result.filesLeft != 0) {
    // The record stays: Uninstall remains offered for another try.
    win::ShowMessage(owner, ui::UninstallLeftText(result.filesLeft, result.firstLeft),
                     ui::kUninstallCaption, MB_OK | MB_ICONWARNING);
  } else if (result.recordKeyLeft || result.entryKeyLeft) {
    const std::wstring key =
        result.recordKeyLeft ? InstallRecordKeyPath(info) : UninstallEntryKeyPath(info);
    win::ShowMessage(owner, ui::RecordKeyLeftText(L"HKEY_LOCAL_MACHINE\\" + key),
                     ui::kUninstallCaption, MB_OK | MB_ICONWARNING);
  } else {
    win::ShowMessage(owner, ui::kUninstalled, ui::kUninstallCaption, MB_OK);
  }
}
