// Removal of an installed product: files and the folders they leave empty,
// the desktop and Programs-menu shortcuts, the menu folder, the record.
#pragma once

#include <string>

struct SetupInfo;

// Deletes baseFolder + relativePath, then removes the folders between it and
// baseFolder from the innermost outward while they are empty. baseFolder
// ends in a backslash and is never removed itself.
void DeleteFileAndEmptyParents(const std::wstring& baseFolder, const std::wstring& relativePath);

// Removes what the wizard installed, working from info and the install
// record. Asks nothing and reports nothing: the launcher asks and tells.
void UninstallProduct(const SetupInfo& info);
