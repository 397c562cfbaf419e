#include "install/UninstallEntry.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <limits>

#include "install/InstallNames.h"
#include "install/Record.h"
#include "package/SetupInfo.h"
#include "text/PathText.h"
#include "win/Handles.h"
#include "win/Paths.h"
#include "win/Registry.h"

namespace {

bool KeyExists(const std::wstring& keyPath) {
  win::UniqueKey key;
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) ==
         ERROR_SUCCESS;
}

// The entry's command that removes the product installed in dir.
std::wstring UninstallCommand(const std::wstring& dir) {
  return L"\"" + dir + kUninstallProgram + L"\" /uninstall";
}

// The entry's command that repairs the product installed in dir.
std::wstring RepairCommand(const std::wstring& dir) {
  return L"\"" + dir + kUninstallProgram + L"\" /repair";
}

}  // namespace

std::optional<CUninstallEntry> CUninstallEntry::ToWrite(const SetupInfo& info) {
  constexpr int kNames = 100;
  for (int number = 1; number <= kNames; ++number) {
    std::wstring name = UninstallEntryKeyName(info, number);
    std::wstring keyPath = UninstallEntryKeyPath(name);
    if (keyPath.empty()) return std::nullopt;
    CUninstallEntry entry(info, std::move(name), std::move(keyPath));
    if (!KeyExists(entry.KeyPath()) || entry.IsOurs()) return entry;
  }
  return std::nullopt;
}

std::optional<CUninstallEntry> CUninstallEntry::Recorded(const SetupInfo& info) {
  std::wstring name = RecordedEntryKeyName(info);
  // An empty path would name the Uninstall key itself.
  std::wstring keyPath = UninstallEntryKeyPath(name);
  if (keyPath.empty()) return std::nullopt;
  return CUninstallEntry(info, std::move(name), std::move(keyPath));
}

bool CUninstallEntry::IsOurs() const {
  return ReadRegString(HKEY_LOCAL_MACHINE, m_strKeyPath, L"DisplayName", L"") == m_info.title &&
         ReadRegString(HKEY_LOCAL_MACHINE, m_strKeyPath, L"Publisher", L"") == m_info.company;
}

bool CUninstallEntry::Write(const std::wstring& installDir, std::uint64_t installedBytes,
                            const std::wstring& sourceFolder) const {
  win::UniqueKey key;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, m_strKeyPath.c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS)
    return false;
  const auto text = [&](const wchar_t* name, const std::wstring& value) {
    return SetRegString(key.get(), name, value) == ERROR_SUCCESS;
  };
  const auto number = [&](const wchar_t* name, DWORD value) {
    return SetRegDword(key.get(), name, value) == ERROR_SUCCESS;
  };
  const std::wstring uninstall = UninstallCommand(installDir);
  const std::uint64_t kib = installedBytes >> 10;
  const bool written =
      text(L"DisplayName", m_info.title) && text(L"Publisher", m_info.company) &&
      text(L"InstallLocation", installDir) &&
      text(L"DisplayIcon",
           installDir + (m_info.exeFile.empty() ? kUninstallProgram : m_info.exeFile)) &&
      text(L"UninstallString", uninstall) && text(L"QuietUninstallString", uninstall + L" /S") &&
      number(L"EstimatedSize",
             static_cast<DWORD>(std::min<std::uint64_t>(kib, std::numeric_limits<DWORD>::max()))) &&
      // Modify starts the repair; Windows' own Repair stays hidden.
      text(L"ModifyPath", RepairCommand(installDir)) && number(L"NoModify", 0) &&
      number(L"NoRepair", 1) && text(L"InstallSource", sourceFolder);
  // Half an entry (without UninstallString, say) would be listed and fail.
  if (!written) {
    key.reset();
    (void)::RegDeleteKeyW(HKEY_LOCAL_MACHINE, m_strKeyPath.c_str());
  }
  return written;
}

bool CUninstallEntry::Delete() const {
  // Never written (another product's copy stood in the folder) counts as
  // gone; so does another product's entry, which an older version may have
  // written over this one's under the same name.
  if (!KeyExists(m_strKeyPath) || !IsOurs()) return true;
  const LONG deleted = ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, m_strKeyPath.c_str());
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

std::wstring RecordedInstallSource(const SetupInfo& info) {
  const std::optional<CUninstallEntry> entry = CUninstallEntry::Recorded(info);
  if (!entry || !entry->IsOurs()) return {};
  return ReadRegString(HKEY_LOCAL_MACHINE, entry->KeyPath(), L"InstallSource", L"");
}

std::wstring EntryTitleOfCopy(const std::wstring& programFolder) {
  win::UniqueKey entries;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallEntriesKey, 0, KEY_READ, entries.put()) != ERROR_SUCCESS)
    return {};
  // Key names are at most 255 characters.
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD chars = static_cast<DWORD>(std::size(name));
    const LONG status =
        ::RegEnumKeyExW(entries.get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return {};
    const std::wstring keyPath = UninstallEntryKeyPath(name);
    // Only an entry this program wrote: its command starts the copy in
    // the folder it names.
    const std::wstring dir = ReadRegString(HKEY_LOCAL_MACHINE, keyPath, L"InstallLocation", L"");
    if (text::IsFullFolderPath(dir) && SameFolder(dir + kUninstallFolder, programFolder) &&
        ReadRegString(HKEY_LOCAL_MACHINE, keyPath, L"UninstallString", L"") ==
            UninstallCommand(dir))
      return ReadRegString(HKEY_LOCAL_MACHINE, keyPath, L"DisplayName", L"");
  }
}
