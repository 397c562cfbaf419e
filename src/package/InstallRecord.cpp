#include "package/InstallRecord.h"

#include <cwctype>

#include "package/PackageFile.h"
#include "package/SetupInfo.h"

std::wstring InstallRecordKeyPath(const SetupInfo& info) {
  if (info.company.empty() || info.title.empty()) return {};
  return L"SOFTWARE\\" + info.company + L"\\" + info.title;
}

bool IsPackageOf(const std::optional<std::vector<char>>& bytes, const SetupInfo& info) {
  CPackageFile package;
  SetupInfo found;
  return bytes && package.OpenPackage(bytes->data(), bytes->size()) &&
         LoadSettings(package, found) && found.title == info.title &&
         found.company == info.company;
}

std::wstring UninstallEntryKeyPath(const SetupInfo& info) {
  if (info.company.empty() || info.title.empty()) return {};
  return L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + info.company + L" " +
         info.title;
}

bool IsFullFolderPath(const std::wstring& folder) {
  if (folder.size() >= 3 && std::iswalpha(folder[0]) && folder[0] < 0x80 && folder[1] == L':' &&
      folder[2] == L'\\') {
    return true;
  }
  // "\\server\share": a server name, then a share name.
  if (folder.size() < 5 || folder[0] != L'\\' || folder[1] != L'\\' || folder[2] == L'\\') {
    return false;
  }
  const std::size_t shareStart = folder.find(L'\\', 2);
  return shareStart != std::wstring::npos && shareStart + 1 < folder.size() &&
         folder[shareStart + 1] != L'\\';
}

std::wstring WithTrailingBackslash(std::wstring folder) {
  // UTF-16: a backslash unit is always a backslash, never half a character.
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}
