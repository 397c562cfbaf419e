#include "install/Record.h"

#include "install/InstallNames.h"
#include "package/SetupInfo.h"
#include "win/Handles.h"
#include "win/Registry.h"

RecordedInstall ReadInstallRecord(const SetupInfo& info) {
  const std::wstring key = InstallRecordKeyPath(info);
  const std::wstring folder = ReadRegString(HKEY_LOCAL_MACHINE, key, kInstallRecordValue, L"");
  // Made plain as a typed folder is: a record written by hand or by an older
  // version may lack the backslash or hold ".." parts.
  if (!folder.empty()) return {true, false, PlainInstallFolder(folder)};
  // A run ended after "path" was written but before this value went had
  // put everything in place: "path" wins above.
  const std::wstring begun = ReadRegString(HKEY_LOCAL_MACHINE, key, kIncompleteValue, L"");
  return {false, !begun.empty(), PlainInstallFolder(begun)};
}

LONG RecordInterrupted(const SetupInfo& info, const std::optional<InstallFolder>& folder) {
  const std::wstring key = InstallRecordKeyPath(info);
  if (folder) return WriteRegString(HKEY_LOCAL_MACHINE, key, kIncompleteValue, folder->Path());
  const LSTATUS status = ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), kIncompleteValue);
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
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
  (void)::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, keyPath.c_str(), kIncompleteValue);
  (void)::RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath.c_str());
  win::UniqueKey key;
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) !=
         ERROR_SUCCESS;
}
