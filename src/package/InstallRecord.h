// Where the install record lives: value "path" under HKEY_LOCAL_MACHINE.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct SetupInfo;

inline constexpr wchar_t kInstallRecordValue[] = L"path";

// The copy of the program and its package that removes the product without
// the disc: <install folder>\uninstall\setup.exe and ...\setup.
inline constexpr wchar_t kUninstallFolder[] = L"uninstall\\";
inline constexpr wchar_t kUninstallProgram[] = L"uninstall\\setup.exe";
inline constexpr wchar_t kUninstallPackage[] = L"uninstall\\setup";

// True when a package's bytes (none: the file could not be read) name
// info's title and maker: the uninstall copy beside it is this product's.
// False for another product's package and for bytes that are no package:
// products installed into one folder share the copy's place, and another's
// copy is never replaced or deleted.
[[nodiscard]] bool IsPackageOf(const std::optional<std::vector<char>>& bytes,
                               const SetupInfo& info);

// L"SOFTWARE\\" + company + L"\\" + title; empty when company or title is
// empty, because the path would then name the maker's key (or SOFTWARE
// itself) and a removal would delete it. No record is kept for such a
// product.
std::wstring InstallRecordKeyPath(const SetupInfo& info);

// The product's entry in the system's list of installed programs (Apps &
// features), under HKEY_LOCAL_MACHINE:
// L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + company + L" " +
// title; empty when company or title is empty, like the record's.
std::wstring UninstallEntryKeyPath(const SetupInfo& info);

// A folder that names its place on its own: "X:\..." or "\\server\share...".
// Anything else (empty, "Games", "\Games", "C:Games") would be taken
// relative to the current folder or drive, which are the source disc's: such
// a folder is neither installed into nor deleted from.
bool IsFullFolderPath(const std::wstring& folder);

// folder with a backslash at its end, added when it lacks one.
std::wstring WithTrailingBackslash(std::wstring folder);
