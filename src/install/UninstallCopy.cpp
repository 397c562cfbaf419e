#include "install/UninstallCopy.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <limits>

#include "install/InstallNames.h"
#include "install/Record.h"
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
// leaves its folder free and goes at the next restart. Returns where it
// stays unscheduled when the system refuses; else empty.
std::wstring MoveAsideRunningCopy(const std::wstring& program) {
  const std::wstring temp = TempFolder();
  wchar_t aside[MAX_PATH] = {};
  if (!temp.empty() && ::GetTempFileNameW(temp.c_str(), L"stp", 0, aside)) {
    if (::MoveFileExW(program.c_str(), aside, MOVEFILE_REPLACE_EXISTING))
      return ::MoveFileExW(aside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? L"" : aside;
    (void)::DeleteFileW(aside);
  }
  // No temporary folder, or another drive: the program stays until the
  // restart, and so does its folder, which goes then, after it, when
  // nothing else is left in it.
  if (!::MoveFileExW(program.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return program;
  if (const std::optional<std::wstring> folder = text::ParentFolderOf(program))
    (void)::MoveFileExW(folder->c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return {};
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool KeyExists(const std::wstring& keyPath) {
  win::UniqueKey key;
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) ==
         ERROR_SUCCESS;
}

// Whether the entry under keyPath is info's: its name and publisher.
bool IsEntryOf(const std::wstring& keyPath, const SetupInfo& info) {
  return ReadRegString(HKEY_LOCAL_MACHINE, keyPath, L"DisplayName", L"") == info.title &&
         ReadRegString(HKEY_LOCAL_MACHINE, keyPath, L"Publisher", L"") == info.company;
}

// The first of info's entry key names that is free or holds info's entry;
// empty when none is (or info has no names).
std::wstring EntryKeyNameFor(const SetupInfo& info) {
  constexpr int kNames = 100;
  for (int number = 1; number <= kNames; ++number) {
    const std::wstring name = UninstallEntryKeyName(info, number);
    const std::wstring keyPath = UninstallEntryKeyPath(name);
    if (keyPath.empty()) return {};
    if (!KeyExists(keyPath) || IsEntryOf(keyPath, info)) return name;
  }
  return {};
}

// The entry's command that removes the product installed in dir.
std::wstring UninstallCommand(const std::wstring& dir) {
  return L"\"" + dir + kUninstallProgram + L"\" /uninstall";
}

// The entry's command that repairs the product installed in dir.
std::wstring RepairCommand(const std::wstring& dir) {
  return L"\"" + dir + kUninstallProgram + L"\" /repair";
}

}  // namespace

std::optional<std::vector<char>> ReadPackageFile(const std::wstring& path) {
  return ReadWholeFile(path, 256u << 20);
}

CopyOwner UninstallCopyOwner(const SetupInfo& info, const std::wstring& folder) {
  const std::wstring package = folder + kUninstallPackage;
  if (!Exists(package)) return CopyOwner::kNone;
  return IsPackageOf(ReadPackageFile(package), info) ? CopyOwner::kThisProduct
                                                     : CopyOwner::kOtherProduct;
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

std::wstring WriteUninstallEntry(const SetupInfo& info, std::uint64_t installedBytes,
                                const std::wstring& sourceFolder) {
  const std::wstring keyName = EntryKeyNameFor(info);
  const std::wstring keyPath = UninstallEntryKeyPath(keyName);
  win::UniqueKey key;
  if (keyPath.empty() ||
      ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return {};
  const auto text = [&](const wchar_t* name, const std::wstring& value) {
    return SetRegString(key.get(), name, value) == ERROR_SUCCESS;
  };
  const auto number = [&](const wchar_t* name, DWORD value) {
    return SetRegDword(key.get(), name, value) == ERROR_SUCCESS;
  };
  const std::wstring dir = info.installDir;
  const std::wstring uninstall = UninstallCommand(dir);
  const std::uint64_t kib = installedBytes >> 10;
  const bool written =
      text(L"DisplayName", info.title) && text(L"Publisher", info.company) &&
      text(L"InstallLocation", dir) &&
      text(L"DisplayIcon", dir + (info.exeFile.empty() ? kUninstallProgram : info.exeFile)) &&
      text(L"UninstallString", uninstall) && text(L"QuietUninstallString", uninstall + L" /S") &&
      number(L"EstimatedSize",
             static_cast<DWORD>(std::min<std::uint64_t>(kib, std::numeric_limits<DWORD>::max()))) &&
      // Modify starts the repair; Windows' own Repair stays hidden.
      text(L"ModifyPath", RepairCommand(dir)) && number(L"NoModify", 0) &&
      number(L"NoRepair", 1) && text(L"InstallSource", sourceFolder) &&
      // Without the record naming it, the removal would look for the entry
      // under its first name, where another product's may be.
      RecordEntryKeyName(info, keyName) == ERROR_SUCCESS;
  // Half an entry (without UninstallString, say) would be listed and fail.
  if (!written) {
    key.reset();
    (void)::RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath.c_str());
    return {};
  }
  return keyPath;
}

std::wstring RemoveUninstallCopy(const SetupInfo& info, const std::wstring& folder,
                                 const std::function<void(const std::wstring&)>& note) {
  // Another product installed into the same folder may own the copy there.
  const CopyOwner owner = UninstallCopyOwner(info, folder);
  if (owner == CopyOwner::kThisProduct) {
    (void)DeleteFileAndEmptyParents(folder, kUninstallPackage);
    if (!DeleteFileAndEmptyParents(folder, kUninstallProgram)) {
      const std::wstring left = MoveAsideRunningCopy(folder + kUninstallProgram);
      RemoveEmptyFolders(folder, kUninstallFolder);
      return left;
    }
  } else if (owner == CopyOwner::kOtherProduct) {
    note(L"left " + folder + kUninstallFolder + L" (another product's uninstall copy)");
  }
  return {};
}

std::wstring DeleteUninstallEntry(const SetupInfo& info) {
  // An empty path would name the Uninstall key itself.
  const std::wstring keyPath = UninstallEntryKeyPath(RecordedEntryKeyName(info));
  // Never written (another product's copy stood in the folder) counts as
  // gone; so does another product's entry, which an older version may have
  // written over this one's under the same name.
  if (keyPath.empty() || !KeyExists(keyPath) || !IsEntryOf(keyPath, info)) return {};
  const LONG deleted = ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath.c_str());
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND ? L"" : keyPath;
}

std::wstring EntryTitleOfCopy(const std::wstring& programFolder) {
  win::UniqueKey entries;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallEntriesKey, 0, KEY_READ,
                      entries.put()) != ERROR_SUCCESS)
    return {};
  // Key names are at most 255 characters.
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD chars = static_cast<DWORD>(std::size(name));
    const LONG status =
        ::RegEnumKeyExW(entries.get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return {};
    const std::wstring keyPath = UninstallEntryKeyPath(name);
    // Only an entry this program wrote: its command starts the copy in
    // the folder it names.
    const std::wstring dir = ReadRegString(HKEY_LOCAL_MACHINE, keyPath, L"InstallLocation", L"");
    if (text::IsFullFolderPath(dir) && SameFolder(dir + kUninstallFolder, programFolder) &&
        ReadRegString(HKEY_LOCAL_MACHINE, keyPath, L"UninstallString", L"") ==
            UninstallCommand(dir))
      return ReadRegString(HKEY_LOCAL_MACHINE, keyPath, L"DisplayName", L"");
  }
}

std::wstring RecordedInstallSource(const SetupInfo& info) {
  const std::wstring keyPath = UninstallEntryKeyPath(RecordedEntryKeyName(info));
  if (keyPath.empty() || !IsEntryOf(keyPath, info)) return {};
  return ReadRegString(HKEY_LOCAL_MACHINE, keyPath, L"InstallSource", L"");
}
