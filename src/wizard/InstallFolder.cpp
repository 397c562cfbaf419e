#include "wizard/InstallFolder.h"

#include <cwctype>

namespace {

std::wstring Decimal(std::uint64_t value) {
  wchar_t digits[24];
  wchar_t* end = digits + 24;
  wchar_t* p = end;
  do {
    *--p = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  return std::wstring(p, end);
}

}  // namespace

std::wstring WithTrailingBackslash(std::wstring folder) {
  // UTF-16: a backslash unit is always a backslash, never half a character.
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}

std::wstring DefaultInstallFolder(const std::wstring& programFiles, const std::wstring& company,
                                  const std::wstring& title) {
  const std::wstring base = programFiles.empty() ? L"C:\\Program Files" : programFiles;
  return WithTrailingBackslash(base) + company + L"\\" + title;
}

std::wstring FreeSpaceQueryPath(const std::wstring& folderText) {
  const std::size_t colon = folderText.find(L':');
  if (colon == std::wstring::npos) return folderText;
  return folderText.substr(0, colon + 1) + L"\\";
}

std::wstring FormatSpaceText(std::uint64_t requiredBytes, const std::wstring& queryPath,
                             std::uint64_t freeBytes) {
  return L"必要な容量\t" + Decimal(requiredBytes >> 10) + L"KB\n" + queryPath + L" の空き容量\t" +
         Decimal(freeBytes >> 10) + L"KB";
}
