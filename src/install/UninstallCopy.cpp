#include "install/UninstallCopy.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "install/InstallNames.h"
#include "package/SetupInfo.h"
#include "text/PathText.h"
#include "win/Files.h"
#include "win/Handles.h"
#include "win/Paths.h"
#include "win/Registry.h"

namespace {

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
    if (const std::optional<std::wstring> folder = text::ParentFolderOf(program))
      (void)::MoveFileExW(folder->c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::optional<std::vector<char>> ReadPackageFile(const std::wstring& path) {
  return ReadWholeFile(path, 256u << 20);
}

bool HoldsOtherProductsCopy(const SetupInfo& info) {
  const std::wstring package = info.installDir + kUninstallPackage;
  return Exists(package) && !IsPackageOf(ReadPackageFile(package), info);
}

bool WriteUninstallCopy(const SetupInfo& info) {
  const std::wstring program = info.installDir + kUninstallProgram;
  const std::wstring package = info.installDir + kUninstallPackage;
  const std::wstring self = ModulePath();
  if (self.empty() || info.packageBytes.empty()) return false;
  CreateDirectoryChain(program);
  // An earlier copy may have been left read-only.
  (void)::SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_NORMAL);
  (void)::SetFileAttributesW(package.c_str(), FILE_ATTRIBUTE_NORMAL);
  // The package first: a removal deletes only a copy whose package is this
  // product's, so a program that could not be copied beside it goes too.
  {
    const win::UniqueFile file(::CreateFileW(package.c_str(), GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD size = static_cast<DWORD>(info.packageBytes.size());
    DWORD written = 0;
    if (!file || !::WriteFile(file.get(), info.packageBytes.data(), size, &written, nullptr) ||
        written != size)
      return false;
  }
  if (!::CopyFileW(self.c_str(), program.c_str(), FALSE)) return false;
  (void)::SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_NORMAL);
  return true;
}

bool WriteUninstallEntry(const SetupInfo& info, std::uint64_t installedBytes) {
  const std::wstring keyPath = UninstallEntryKeyPath(info);
  win::UniqueKey key;
  if (keyPath.empty() ||
      ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  const auto text = [&](const wchar_t* name, const std::wstring& value) {
    return SetRegString(key.get(), name, value) == ERROR_SUCCESS;
  };
  const auto number = [&](const wchar_t* name, DWORD value) {
    return SetRegDword(key.get(), name, value) == ERROR_SUCCESS;
  };
  const std::wstring dir = info.installDir;
  const std::wstring uninstall = L"\"" + dir + kUninstallProgram + L"\" /uninstall";
  const std::uint64_t kib = installedBytes >> 10;
  const bool written =
      text(L"DisplayName", info.title) && text(L"Publisher", info.company) &&
      text(L"InstallLocation", dir) &&
      text(L"DisplayIcon", dir + (info.exeFile.empty() ? kUninstallProgram : info.exeFile)) &&
      text(L"UninstallString", uninstall) && text(L"QuietUninstallString", uninstall + L" /S") &&
      number(L"EstimatedSize",
             static_cast<DWORD>(std::min<std::uint64_t>(kib, std::numeric_limits<DWORD>::max()))) &&
      number(L"NoModify", 1) && number(L"NoRepair", 1);
  // Half an entry (without UninstallString, say) would be listed and fail.
  if (!written) (void)::RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath.c_str());
  return written;
}

void RemoveUninstallCopy(const SetupInfo& info, const std::wstring& folder,
                         const std::function<void(const std::wstring&)>& note) {
  // Another product installed into the same folder may own the copy there.
  const std::wstring package = folder + kUninstallPackage;
  if (IsPackageOf(ReadPackageFile(package), info)) {
    (void)DeleteFileAndEmptyParents(folder, kUninstallPackage);
    if (!DeleteFileAndEmptyParents(folder, kUninstallProgram)) {
      MoveAsideRunningCopy(folder + kUninstallProgram);
      RemoveEmptyFolders(folder, kUninstallFolder);
    }
  } else if (Exists(package)) {
    note(L"left " + folder + kUninstallFolder + L" (another product's uninstall copy)");
  }
}

bool DeleteUninstallEntry(const SetupInfo& info) {
  const std::wstring keyPath = UninstallEntryKeyPath(info);
  if (keyPath.empty()) return true;  // an empty path would name the Uninstall key itself
  const LONG deleted = ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath.c_str());
  // Never written (another product's copy stood in the folder) counts as gone.
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}
