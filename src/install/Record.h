// The install record: the install folder under HKEY_LOCAL_MACHINE, the one
// fact by which the product counts as installed, and the name of the
// product's Apps & features entry.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "install/InstallFolder.h"

struct SetupInfo;

// What the record says of the product, read afresh at every use, never kept.
struct RecordedInstall {
  // A folder value is there: the product counts as installed, to be removed.
  bool installed = false;
  // No folder value, but an installation into a folder began and never
  // ended complete (ended from outside, cancelled, a disc never given):
  // what it wrote is to be removed, or the next installation goes on.
  bool interrupted = false;
  // That value (or the interrupted one's folder) made plain, when it is a
  // full folder: only then are files looked for, written or deleted in it. A
  // record written by hand or by another program may hold a relative one,
  // which would name the disc.
  std::optional<InstallFolder> folder;
};
RecordedInstall ReadInstallRecord(const SetupInfo& info);

// Marks an installation into folder as begun, before it writes anything
// there (none: as ended, the value goes). Returns the status of the write.
[[nodiscard]] LONG RecordInterrupted(const SetupInfo& info,
                                     const std::optional<InstallFolder>& folder);

// Records folder as info's install folder: the product is installed.
// Returns the status of the write.
[[nodiscard]] LONG WriteInstallRecord(const SetupInfo& info, const InstallFolder& folder);

// Names keyName (UninstallEntryKeyName) as the product's Apps & features
// entry in the record. Returns the status of the write.
[[nodiscard]] LONG RecordEntryKeyName(const SetupInfo& info, const std::wstring& keyName);

// The key name of the product's Apps & features entry as the record names
// it; for a record without that value (written by an older version), the
// entry's first name, which was the only one then.
std::wstring RecordedEntryKeyName(const SetupInfo& info);

// Deletes the record's values, then its key. True when the key is
// gone; false when it stays because it holds keys of others (the product
// counts as removed all the same: its folder value is gone).
bool DeleteInstallRecord(const SetupInfo& info);
