// Where the install record lives: value "path" under HKEY_LOCAL_MACHINE.
#pragma once

#include <string>

struct SetupInfo;

inline constexpr wchar_t kInstallRecordValue[] = L"path";

// L"SOFTWARE\\" + company + L"\\" + title; empty when company or title is
// empty, because the path would then name the maker's key (or SOFTWARE
// itself) and a removal would delete it. No record is kept for such a
// product.
std::wstring InstallRecordKeyPath(const SetupInfo& info);

// A folder that names its place on its own: "X:\..." or "\\server\share...".
// Anything else (empty, "Games", "\Games", "C:Games") would be taken
// relative to the current folder or drive, which are the source disc's: such
// a folder is neither installed into nor deleted from.
bool IsFullFolderPath(const std::wstring& folder);
