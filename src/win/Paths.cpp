#include "win/Paths.h"

#include "text/PathText.h"
#include "win/Handles.h"

std::wstring ModulePath() {
  // Paths may be longer than MAX_PATH: grow until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

std::wstring ModuleFolder() {
  std::wstring path = ModulePath();
  const std::size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos) return {};
  path.resize(slash + 1);
  return path;
}

std::optional<std::wstring> FullPath(const std::wstring& path) {
  const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return std::nullopt;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return std::nullopt;
  full.resize(length);
  return full;
}

std::wstring ExtendedPath(const std::wstring& path) {
  if (path.size() < MAX_PATH) return path;
  const std::optional<std::wstring> full = FullPath(path);
  if (!full || full->size() < MAX_PATH) return full.value_or(path);
  const std::wstring& plain = *full;
  if (plain[1] == L':' && plain[2] == L'\\') return L"\\\\?\\" + plain;
  // "\\?\" and "\\.\" paths are in a device form already.
  if (plain.rfind(L"\\\\", 0) == 0 && plain[2] != L'?' && plain[2] != L'.')
    return L"\\\\?\\UNC\\" + plain.substr(2);
  return plain;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  const std::optional<std::wstring> left = FullPath(a), right = FullPath(b);
  if (!left || !right) return false;
  const std::wstring x = text::WithTrailingBackslash(*left), y = text::WithTrailingBackslash(*right);
  return ::CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(),
                                static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

bool SameFolderOnDisk(const std::wstring& a, const std::wstring& b) {
  if (SameFolder(a, b)) return true;
  const auto identity = [](const std::wstring& folder) -> std::optional<std::wstring> {
    const win::UniqueFile handle(
        ::CreateFileW(ExtendedPath(folder).c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle || !::GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
    return std::to_wstring(info.dwVolumeSerialNumber) + L":" +
           std::to_wstring(info.nFileIndexHigh) + L":" + std::to_wstring(info.nFileIndexLow);
  };
  const std::optional<std::wstring> x = identity(a), y = identity(b);
  return x && y && *x == *y;
}

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return {};
  return text::WithTrailingBackslash(std::wstring(buffer, length));
}

std::wstring CurrentFolder() {
  const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return {};
  std::wstring folder(needed, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(needed, folder.data());
  if (length == 0 || length >= needed) return {};
  folder.resize(length);
  return folder;
}

std::vector<std::wstring> CdromDriveRoots() {
  std::vector<std::wstring> roots;
  const DWORD drives = ::GetLogicalDrives();
  for (int letter = 0; letter < 26; ++letter) {
    if (!(drives & (1u << letter))) continue;
    std::wstring root{static_cast<wchar_t>(L'A' + letter), L':', L'\\'};
    if (::GetDriveTypeW(root.c_str()) == DRIVE_CDROM) roots.push_back(std::move(root));
  }
  return roots;
}
