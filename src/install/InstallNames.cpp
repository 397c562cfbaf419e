#include "install/InstallNames.h"

#include "package/PackageFile.h"
#include "package/SetupInfo.h"
#include "text/PathText.h"

namespace {

std::wstring TempStem(const std::wstring& title) { return L"setup_" + title; }

}  // namespace

std::wstring InstallRecordKeyPath(const SetupInfo& info) {
  if (info.company.empty() || info.title.empty()) return {};
  return L"SOFTWARE\\" + info.company + L"\\" + info.title;
}

std::wstring UninstallEntryKeyName(const SetupInfo& info, int number) {
  if (info.company.empty() || info.title.empty()) return {};
  const std::wstring name = info.company + L" " + info.title;
  return number < 2 ? name : name + L" (" + std::to_wstring(number) + L")";
}

std::wstring UninstallEntryKeyPath(const std::wstring& keyName) {
  if (keyName.empty() || keyName.find(L'\\') != std::wstring::npos) return {};
  return L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + keyName;
}

std::wstring ProductFolderIn(const std::wstring& parent, const SetupInfo& info) {
  return text::WithTrailingBackslash(parent) + info.company + L"\\" + info.title;
}

std::wstring TempProgramName(const std::wstring& title) { return TempStem(title) + L".exe"; }

std::wstring LogFileName(const std::wstring& title) { return TempStem(title) + L".log"; }

bool IsPackageOf(const std::optional<std::vector<char>>& bytes, const SetupInfo& info) {
  CPackageFile package;
  SetupInfo found;
  return bytes && package.OpenPackage(bytes->data(), bytes->size()) &&
         LoadSettings(package, found) && found.title == info.title &&
         found.company == info.company;
}
