// Removal of an installed product: files and the folders they leave empty,
// the desktop and Programs-menu shortcuts, the menu folder, the record.
#pragma once

#include <string>

struct SetupInfo;

// Deletes baseFolder + relativePath, then removes the folders between it and
// baseFolder from the innermost outward while they are empty. baseFolder
// ends in a backslash and is never removed itself. True when the file is
// gone: deleted, or not there to begin with.
bool DeleteFileAndEmptyParents(const std::wstring& baseFolder, const std::wstring& relativePath);

// What a removal could not remove: listed files that exist and could not be
// deleted (open, read-only), the first of them by its full path.
struct UninstallResult {
  std::size_t filesLeft = 0;
  std::wstring firstLeft;
};

// Removes what the wizard installed, working from info and the install
// record. Asks nothing and tells nothing: the launcher asks and tells. When
// a listed file stays, the install record stays too, so that the removal
// can be tried again; the rest goes.
UninstallResult UninstallProduct(const SetupInfo& info);
