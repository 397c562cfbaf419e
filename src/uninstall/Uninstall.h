// Removal of an installed product: files and the folders they leave empty,
// the desktop and Programs-menu shortcuts, the menu folder, the record, the
// uninstall copy and the Apps & features entry.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

struct SetupInfo;

// The install folder from the record, ending in a backslash (added when the
// record lacks it, so that names join to paths inside it); empty when no
// folder is recorded. Read afresh at every use, never kept.
std::wstring InstalledFolder(const SetupInfo& info);

// Deletes baseFolder + relativePath (a read-only file too), then removes the
// folders between it and baseFolder from the innermost outward while they
// are empty. baseFolder ends in a backslash and is never removed itself;
// paths of any length are reached (ExtendedPath). True when the file is
// gone: deleted, or reported missing by the system (no such file, or no
// such folder either); false on any other failure.
bool DeleteFileAndEmptyParents(const std::wstring& baseFolder, const std::wstring& relativePath);

// What a removal could not remove: listed files that exist and could not be
// deleted (open), the first of them by its full path; the record's key,
// when it stayed although its folder value went (it holds keys of others);
// and the Apps & features entry's key, when it could not be deleted.
struct UninstallResult {
  std::size_t filesLeft = 0;
  std::wstring firstLeft;
  bool recordKeyLeft = false;
  bool entryKeyLeft = false;
  bool Complete() const { return filesLeft == 0 && !recordKeyLeft && !entryKeyLeft; }
};

// Removes what an installation made, working from info and the install
// record. Asks nothing and tells nothing: the caller asks and tells. When a
// listed file stays, the record, the uninstall copy and the Apps & features
// entry stay too, so that the removal can be tried again from the launcher
// or from the system's list; the rest goes. The uninstall copy, when it
// runs (the removal was started from it), is moved to the temporary folder
// and deleted at the next restart, so that its folder can go. note, when
// given, hears of every listed file removed or left and of the record.
UninstallResult UninstallProduct(const SetupInfo& info,
                                 const std::function<void(const std::wstring&)>& note = {});

// The removal's question, in a message box of owner (null: none); No is
// the default. True for Yes.
bool AskUninstall(HWND owner);

// Tells the user in a message box of owner what the removal did: done, how
// many files stayed and the first of them, or the key that stayed (the
// record's, else the entry's).
void TellUninstallResult(HWND owner, const SetupInfo& info, const UninstallResult& result);
