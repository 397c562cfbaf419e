#include "install/UninstallCopy.h"

#include <windows.h>

#include "install/InstallNames.h"
#include "package/SetupInfo.h"
#include "text/PathText.h"
#include "win/Files.h"
#include "win/Handles.h"
#include "win/Paths.h"

namespace {

// The uninstall copy's program cannot be deleted while it runs: the removal
// was started from it and it waits for the temporary copy that removes.
// Moved into the temporary folder (a running program can be renamed), it
// leaves its folder free and goes at the next restart. Returns where it
// stays unscheduled when the system refuses; none when it is scheduled.
std::optional<std::wstring> MoveAsideRunningCopy(const std::wstring& program) {
  const std::wstring temp = TempFolder();
  wchar_t aside[MAX_PATH] = {};
  if (!temp.empty() && ::GetTempFileNameW(temp.c_str(), L"stp", 0, aside)) {
    if (::MoveFileExW(program.c_str(), aside, MOVEFILE_REPLACE_EXISTING))
      return ::MoveFileExW(aside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)
                 ? std::nullopt
                 : std::optional<std::wstring>(aside);
    (void)::DeleteFileW(aside);
  }
  // No temporary folder, or another drive: the program stays until the
  // restart, and so does its folder, which goes then, after it, when
  // nothing else is left in it.
  if (!::MoveFileExW(program.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return program;
  if (const std::optional<std::wstring> folder = text::ParentFolderOf(program))
    (void)::MoveFileExW(folder->c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return std::nullopt;
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

bool WriteUninstallCopy(const SetupInfo& info, const std::wstring& installDir) {
  const std::wstring program = installDir + kUninstallProgram;
  const std::wstring package = installDir + kUninstallPackage;
  const std::wstring self = ModulePath();
  if (self.empty() || info.packageBytes.empty()) return false;
  CreateDirectoryChain(program);
  // An earlier copy may have been left read-only.
  (void)::SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_NORMAL);
  (void)::SetFileAttributesW(package.c_str(), FILE_ATTRIBUTE_NORMAL);
  // The package first: a removal deletes only a copy whose package is this
  // product's, so a program that could not be copied beside it goes too.
  // Written whole under another name, then renamed: one cut short would read
  // as another product's, and stay for ever.
  const std::wstring partial = package + L".partial";
  bool written = false;
  {
    const win::UniqueFile file(::CreateFileW(partial.c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD size = static_cast<DWORD>(info.packageBytes.size());
    DWORD done = 0;
    written = file && ::WriteFile(file.get(), info.packageBytes.data(), size, &done, nullptr) &&
              done == size && RenameOpenFile(file.get(), package);
  }
  if (!written) {
    (void)::DeleteFileW(partial.c_str());  // closed: it can go
    return false;
  }
  if (!::CopyFileW(self.c_str(), program.c_str(), FALSE)) return false;
  (void)::SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_NORMAL);
  return true;
}

std::optional<std::wstring> RemoveUninstallCopy(
    const SetupInfo& info, const std::wstring& folder,
    const std::function<void(const std::wstring&)>& note) {
  // Another product installed into the same folder may own the copy there.
  const CopyOwner owner = UninstallCopyOwner(info, folder);
  // A package cut short when a run was ended from outside.
  if (owner != CopyOwner::kOtherProduct)
    (void)::DeleteFileW((folder + kUninstallPackage + L".partial").c_str());
  if (owner == CopyOwner::kThisProduct) {
    (void)DeleteFileAndEmptyParents(folder, kUninstallPackage);
    if (!DeleteFileAndEmptyParents(folder, kUninstallProgram)) {
      std::optional<std::wstring> left = MoveAsideRunningCopy(folder + kUninstallProgram);
      RemoveEmptyFolders(folder, kUninstallFolder);
      return left;
    }
  } else if (owner == CopyOwner::kOtherProduct) {
    note(L"left " + folder + kUninstallFolder + L" (another product's uninstall copy)");
  }
  return std::nullopt;
}
