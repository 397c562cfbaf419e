#include "win/ShellFolders.h"

#include <shobjidl.h>

#include <vector>

#include "package/InstallRecord.h"
#include "win/Handles.h"

namespace {

bool EntryExists(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  win::UniqueFind find(::FindFirstFileW(path.c_str(), &data));
  return static_cast<bool>(find);
}

// The working folder of a link: the target's folder, or the root itself
// for a target directly in a root ("X:\game.exe" gives "X:\"), never the
// target's own path.
std::wstring WorkingFolderOf(const std::wstring& target) {
  if (auto parent = ParentFolderOf(target)) return *parent;
  const std::size_t cut = target.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return {};
  return target.substr(0, cut + 1);
}

}  // namespace

std::optional<std::wstring> ParentFolderOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring::npos || cut == 0 || path[cut - 1] == L':') return std::nullopt;
  return path.substr(0, cut);
}

void CreateDirectoryChain(std::wstring path) {
  // Walks up to the first ancestor that exists, then creates the missing
  // ones top-down. A loop, not recursion: a typed folder of thousands of
  // levels must not exhaust the stack.
  std::vector<std::wstring> missing;
  while (auto parent = ParentFolderOf(path)) {
    if (EntryExists(*parent)) break;  // a file of that name ends the chain too
    path = std::move(*parent);
    missing.push_back(path);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    ::CreateDirectoryW(it->c_str(), nullptr);  // a failure shows when the file is created
  }
}

std::wstring PathFromItemList(PCIDLIST_ABSOLUTE items) {
  wchar_t buffer[MAX_PATH] = {};
  if (!items || !::SHGetPathFromIDListW(items, buffer)) return {};
  return buffer;
}

std::wstring GetSpecialFolderPath(int csidl) {
  PIDLIST_ABSOLUTE raw = nullptr;
  if (::SHGetSpecialFolderLocation(nullptr, csidl, &raw) != S_OK) return {};
  const UniqueItemList items(raw);
  std::wstring path = PathFromItemList(items.get());
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path;
}

bool CreateShortcut(int csidl, const std::wstring& linkPath, const std::wstring& targetPath) {
  // Without the special folder the link would land relative to the current
  // folder, which is the source disc.
  const std::wstring folder = GetSpecialFolderPath(csidl);
  if (folder.empty()) return false;
  const std::wstring linkFile = folder + linkPath;
  CreateDirectoryChain(linkFile);

  win::ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void()))) {
    return false;
  }
  if (FAILED(link->SetPath(targetPath.c_str()))) return false;
  if (FAILED(link->SetWorkingDirectory(WorkingFolderOf(targetPath).c_str()))) return false;

  win::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return false;
  return SUCCEEDED(file->Save(linkFile.c_str(), TRUE));
}

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
  const std::wstring x = WithTrailingBackslash(*left), y = WithTrailingBackslash(*right);
  return ::CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(),
                                static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return {};
  return WithTrailingBackslash(std::wstring(buffer, length));
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

std::optional<std::vector<char>> ReadPackageFile(const std::wstring& path) {
  constexpr LONGLONG kMaxBytes = 256 * 1024 * 1024;
  const win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxBytes)
    return std::nullopt;
  std::vector<char> bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() &&
      (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
       read != bytes.size()))
    return std::nullopt;
  return bytes;
}
