#include "install/Record.h"

#include "install/InstallNames.h"
#include "package/SetupInfo.h"
#include "win/Handles.h"
#include "win/Registry.h"

RecordedInstall ReadInstallRecord(const SetupInfo& info) {
  const std::wstring folder =
      ReadRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(info), kInstallRecordValue, L"");
  // Made plain as a typed folder is: a record written by hand or by an older
  // version may lack the backslash or hold ".." parts.
  return {!folder.empty(), PlainInstallFolder(folder)};
}

LONG WriteInstallRecord(const SetupInfo& info, const InstallFolder& folder) {
  return WriteRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(info), kInstallRecordValue,
                        folder.Path());
}

LONG RecordEntryKeyName(const SetupInfo& info, const std::wstring& keyName) {
  return WriteRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(info), kEntryKeyValue, keyName);
}

std::wstring RecordedEntryKeyName(const SetupInfo& info) {
  return ReadRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(info), kEntryKeyValue,
                       UninstallEntryKeyName(info));
}

bool DeleteInstallRecord(const SetupInfo& info) {
  const std::wstring keyPath = InstallRecordKeyPath(info);
  if (keyPath.empty()) return true;  // such a product never had a record
  // The folder value first: with it gone the product counts as removed even
  // when the key stays, because it holds keys of others, which are not ours
  // to delete. The maker's key above it stays, even when it is now empty.
  (void)::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, keyPath.c_str(), kInstallRecordValue);
  (void)::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, keyPath.c_str(), kEntryKeyValue);
  (void)::RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath.c_str());
  win::UniqueKey key;
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) !=
         ERROR_SUCCESS;
}
