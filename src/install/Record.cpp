#include "install/Record.h"

#include "install/InstallNames.h"
#include "package/SetupInfo.h"
#include "text/PathText.h"
#include "win/Handles.h"
#include "win/Registry.h"

std::wstring InstalledFolder(const SetupInfo& info) {
  const std::wstring folder =
      ReadRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(info), kInstallRecordValue, L"");
  // A record written by hand or by another program may lack the backslash:
  // "C:\Games\X" + "game.exe" would name C:\Games\Xgame.exe.
  return folder.empty() ? folder : text::WithTrailingBackslash(folder);
}

LONG WriteInstallRecord(const SetupInfo& info) {
  return WriteRegString(HKEY_LOCAL_MACHINE, InstallRecordKeyPath(info), kInstallRecordValue,
                        info.installDir);
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
