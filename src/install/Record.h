// The install record: the install folder under HKEY_LOCAL_MACHINE, the one
// fact by which the product counts as installed, and the name of the
// product's Apps & features entry.
#pragma once

#include <windows.h>

#include <string>

struct SetupInfo;

// The install folder from the record, ending in a backslash (added when the
// record lacks it, so that names join to paths inside it); empty when no
// folder is recorded. Read afresh at every use, never kept.
std::wstring InstalledFolder(const SetupInfo& info);

// Records info.installDir. Returns the status of the write.
LONG WriteInstallRecord(const SetupInfo& info);

// Names keyName (UninstallEntryKeyName) as the product's Apps & features
// entry in the record. Returns the status of the write.
LONG RecordEntryKeyName(const SetupInfo& info, const std::wstring& keyName);

// The key name of the product's Apps & features entry as the record names
// it; for a record without that value (written by an older version), the
// entry's first name, which was the only one then.
std::wstring RecordedEntryKeyName(const SetupInfo& info);

// Deletes the record's values, then its key. True when the key is
// gone; false when it stays because it holds keys of others (the product
// counts as removed all the same: its folder value is gone).
bool DeleteInstallRecord(const SetupInfo& info);
