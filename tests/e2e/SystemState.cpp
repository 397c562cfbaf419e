#include "SystemState.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>

#include "win/Handles.h"

namespace e2e {

namespace {

std::wstring FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
  return text;
}

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

void CollectFiles(const std::wstring& root, const std::wstring& relative, std::vector<std::wstring>& files) {
  WIN32_FIND_DATAW found{};
  const win::UniqueFind search(::FindFirstFileW(JoinPath(JoinPath(root, relative), L"*").c_str(), &found));
  if (!search) return;
  do {
    if (IsDotEntry(found.cFileName)) continue;
    const std::wstring name = JoinPath(relative, found.cFileName);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CollectFiles(root, name, files);
    } else {
      files.push_back(name);
    }
  } while (::FindNextFileW(search.get(), &found));
}

}  // namespace

std::optional<DWORD> FileAttributes(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

bool FileExists(const std::wstring& path) {
  const std::optional<DWORD> attributes = FileAttributes(path);
  return attributes && !(*attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
  const std::optional<DWORD> attributes = FileAttributes(path);
  return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  const win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 256 * 1024 * 1024) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                         read != bytes.size()))
    return std::nullopt;
  return bytes;
}

std::optional<std::wstring> ReadUtf8File(const std::wstring& path) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return FromUtf8(*bytes);
}

bool CreateFolders(const std::wstring& folder) {
  if (folder.empty() || FolderExists(folder)) return true;
  const std::wstring trimmed = WithoutBackslash(folder);
  const std::size_t slash = trimmed.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > 2 && !CreateFolders(trimmed.substr(0, slash))) return false;
  return ::CreateDirectoryW(trimmed.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  const std::size_t slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos && !CreateFolders(path.substr(0, slash))) return false;
  const win::UniqueFile file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return bytes.empty() ||
         (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
          written == bytes.size());
}

bool CopyTree(const std::wstring& from, const std::wstring& to) {
  if (!CreateFolders(to)) return false;
  WIN32_FIND_DATAW found{};
  const win::UniqueFind search(::FindFirstFileW(JoinPath(from, L"*").c_str(), &found));
  if (!search) return false;
  do {
    if (IsDotEntry(found.cFileName)) continue;
    const std::wstring source = JoinPath(from, found.cFileName);
    const std::wstring target = JoinPath(to, found.cFileName);
    const bool copied = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                            ? CopyTree(source, target)
                            : ::CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
    if (!copied) return false;
  } while (::FindNextFileW(search.get(), &found));
  return true;
}

bool RemoveTree(const std::wstring& folder) {
  if (!FolderExists(folder)) return !FileExists(folder);
  WIN32_FIND_DATAW found{};
  {
    const win::UniqueFind search(::FindFirstFileW(JoinPath(folder, L"*").c_str(), &found));
    if (search) {
      do {
        if (IsDotEntry(found.cFileName)) continue;
        const std::wstring path = JoinPath(folder, found.cFileName);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          if (!RemoveTree(path)) return false;
        } else {
          (void)::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          if (!::DeleteFileW(path.c_str())) return false;
        }
      } while (::FindNextFileW(search.get(), &found));
    }
  }
  return ::RemoveDirectoryW(WithoutBackslash(folder).c_str()) != FALSE;
}

std::vector<std::wstring> ListFiles(const std::wstring& root) {
  std::vector<std::wstring> files;
  CollectFiles(root, L"", files);
  std::sort(files.begin(), files.end());
  return files;
}

bool WaitForFile(const std::wstring& path, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!FileExists(path)) {
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(20);
  }
  return true;
}

std::map<std::wstring, std::wstring> ReadMarker(const std::wstring& path) {
  std::map<std::wstring, std::wstring> fields;
  // The writer may still be busy: a marker counts once its last line ended.
  const std::optional<std::wstring> text = ReadUtf8File(path);
  if (!text) return fields;
  std::size_t position = 0;
  while (position < text->size()) {
    std::size_t end = text->find(L'\n', position);
    if (end == std::wstring::npos) break;
    std::wstring line = text->substr(position, end - position);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    const std::size_t equals = line.find(L'=');
    if (equals != std::wstring::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
    position = end + 1;
  }
  return fields;
}

std::map<std::wstring, std::wstring> WaitForMarker(const std::wstring& path, const std::vector<std::wstring>& keys,
                                                   DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    std::map<std::wstring, std::wstring> fields = ReadMarker(path);
    bool complete = true;
    for (const std::wstring& key : keys) complete = complete && fields.count(key) != 0;
    if (complete) return fields;
    if (::GetTickCount() - start >= timeoutMs) return {};
    ::Sleep(20);
  }
}

std::optional<std::wstring> ReadRegString(HKEY root, const std::wstring& key, const std::wstring& value) {
  win::UniqueKey opened;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, opened.put()) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExW(opened.get(), value.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  if (::RegQueryValueExW(opened.get(), value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  data.resize(size / sizeof(wchar_t));
  while (!data.empty() && data.back() == L'\0') data.pop_back();
  return data;
}

bool WriteRegString(HKEY root, const std::wstring& key, const std::wstring& value, const std::wstring& data) {
  win::UniqueKey opened;
  if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.put(), nullptr) !=
      ERROR_SUCCESS)
    return false;
  return ::RegSetValueExW(opened.get(), value.empty() ? nullptr : value.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegKeyExists(HKEY root, const std::wstring& key) {
  win::UniqueKey opened;
  return ::RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, opened.put()) == ERROR_SUCCESS;
}

bool DeleteRegTree(HKEY root, const std::wstring& key) {
  const LSTATUS status = ::RegDeleteTreeW(root, key.c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return false;
  const LSTATUS removed = ::RegDeleteKeyW(root, key.c_str());
  return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND;
}

std::optional<CShortcut> ReadShortcut(const std::wstring& linkPath) {
  win::ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())))
    return std::nullopt;
  win::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return std::nullopt;
  if (FAILED(file->Load(linkPath.c_str(), STGM_READ))) return std::nullopt;

  CShortcut shortcut;
  wchar_t text[MAX_PATH * 4] = {};
  // The item list holds the target intact; the plain path may have gone
  // through the ANSI code page.
  PIDLIST_ABSOLUTE items = nullptr;
  if (SUCCEEDED(link->GetIDList(&items)) && items != nullptr) {
    if (::SHGetPathFromIDListW(items, text)) shortcut.target = text;
    ::CoTaskMemFree(items);
  }
  if (shortcut.target.empty() && SUCCEEDED(link->GetPath(text, MAX_PATH * 4, nullptr, SLGP_RAWPATH)))
    shortcut.target = text;
  text[0] = L'\0';
  if (SUCCEEDED(link->GetArguments(text, MAX_PATH * 4))) shortcut.arguments = text;
  text[0] = L'\0';
  if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH * 4))) shortcut.workingFolder = text;
  text[0] = L'\0';
  if (SUCCEEDED(link->GetDescription(text, MAX_PATH * 4))) shortcut.description = text;
  text[0] = L'\0';
  int index = 0;
  if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH * 4, &index))) {
    shortcut.iconFile = text;
    shortcut.iconIndex = index;
  }
  return shortcut;
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return WithoutBackslash(path);
}

std::wstring TempFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, path);
  if (length == 0 || length > MAX_PATH) return {};
  return WithBackslash(std::wstring(path, length));
}

}  // namespace e2e
