// The install record: the install folder under HKEY_LOCAL_MACHINE, the one
// fact by which the product counts as installed.
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

// Deletes the record's folder value, then its key. True when the key is
// gone; false when it stays because it holds keys of others (the product
// counts as removed all the same: its folder value is gone).
bool DeleteInstallRecord(const SetupInfo& info);
