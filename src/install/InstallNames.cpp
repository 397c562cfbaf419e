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

std::wstring UninstallEntryKeyPath(const SetupInfo& info) {
  if (info.company.empty() || info.title.empty()) return {};
  return L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + info.company + L" " +
         info.title;
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
